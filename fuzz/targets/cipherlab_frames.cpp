// CipherLab record frames in both layouts, with and without the check value, and the
// upload frame built from whatever record a frame gave.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "buffers/chr_arr.h"
#include "devices/collectors/cipherlab_frames.h"
#include "fuzz_check.h"
#include "scripted_line.h"

namespace {

using namespace zelvane;
using namespace zelvane::cipherlab;

bool Terminated(const char* field, std::size_t size) {
  return std::memchr(field, 0, size) != nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CChrArr line = fuzzing::BytesOf(data, size);
  for (const RecordLayout layout : {RecordLayout::kFull, RecordLayout::kShort}) {
    CollectorRecord checked{};
    CollectorRecord unchecked{};
    const FrameVerdict verified = ParseFrame(line, layout, CheckValue::kVerified, checked);
    const FrameVerdict accepted = ParseFrame(line, layout, CheckValue::kAccepted, unchecked);
    // The check only ever refuses more.
    if (verified.accepted) FUZZ_CHECK(accepted.accepted);
    if (!accepted.accepted) continue;
    FUZZ_CHECK(accepted.sequence <= kLastSequence);
    FUZZ_CHECK(Terminated(unchecked.code, sizeof unchecked.code));
    FUZZ_CHECK(Terminated(unchecked.name, sizeof unchecked.name));
    FUZZ_CHECK(!std::isnan(unchecked.quantity) && !std::isnan(unchecked.price));
    if (layout == RecordLayout::kShort) FUZZ_CHECK(unchecked.quantity != 0);

    const CChrArr frame = BuildFrame(unchecked);
    FUZZ_CHECK(frame.GetSize() >= 3 && frame[frame.GetSize() - 1] == '\r');
    FUZZ_CHECK(frame[frame.GetSize() - 2] != '\r' && frame[frame.GetSize() - 3] != '\r');
  }
  return 0;
}
