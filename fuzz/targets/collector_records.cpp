// BHT-6045 header and record blocks, and Casio DT-700 length prefixes and records.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/casio_records.h"
#include "fuzz_check.h"
#include "scripted_line.h"

namespace {

void CheckRecord(const std::optional<zelvane::ReadingRecord>& record) {
  if (!record) return;
  FUZZ_CHECK(std::memchr(record->text, 0, sizeof record->text) != nullptr);
  FUZZ_CHECK(!std::isnan(record->quantity));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvane;
  const CChrArr block = fuzzing::BytesOf(data, size);
  BhtBlockCheck(block);
  if (const std::optional<int> count = BhtRecordCount(block)) {
    FUZZ_CHECK(*count >= 0 && *count <= 99999);
  }
  CheckRecord(BhtRecord(block));

  if (size < 2) return 0;
  const std::optional<int> remaining = CasioRemainingLength(data[0], data[1]);
  if (remaining) FUZZ_CHECK(*remaining >= 3 && *remaining <= 99);
  const CChrArr rest = block.Mid(2);
  if (const std::optional<CChrArr> text =
          CasioRecordText(rest, remaining.value_or(rest.GetSize()))) {
    FUZZ_CHECK(text->GetSize() < rest.GetSize());
    CheckRecord(CasioRecord(*text));
  }
  return 0;
}
