// Radwag lines pushed or requested, and the CAS AP-1 dialogue, against a scale that
// sends whatever the fuzzer makes up. The first byte picks the exchange.
#include <cmath>
#include <cstdint>
#include <cstring>

#include "buffers/chr_arr.h"
#include "devices/reading_record.h"
#include "devices/scales/cas_ap1.h"
#include "devices/scales/cas_frames.h"
#include "exchange.h"
#include "fuzz_check.h"
#include "protocol/line_reader.h"

namespace {

using zelvane::CChrArr;

void CheckReading(void* record) {
  const auto* reading = static_cast<const zelvane::ReadingRecord*>(record);
  FUZZ_CHECK(std::memchr(reading->text, 0, sizeof reading->text) != nullptr);
  FUZZ_CHECK(std::isfinite(reading->quantity) && reading->quantity > 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using zelvane::fuzzing::RunExchange;
  if (size == 0) return 0;
  static zelvane::CRadwag radwag;
  static zelvane::CCasAP_1 cas;
  CChrArr text;
  switch (data[0] % 3) {
    case 0:
      RunExchange(radwag, data + 1, size - 1, 500, [&] {
        FUZZ_CHECK(radwag.ReadLine(text) == 1);
        FUZZ_CHECK(text.GetSize() < zelvane::kMaxLineLength);
      });
      break;
    case 1:
      RunExchange(radwag, data + 1, size - 1, 500, [&] { radwag.WeighOnce(&CheckReading); });
      break;
    default:
      RunExchange(cas, data + 1, size - 1, 100, [&] {
        if (cas.ReadWeight(text) == 1) FUZZ_CHECK(text.GetSize() == zelvane::cas::kAnswerLength);
      });
      break;
  }
  return 0;
}
