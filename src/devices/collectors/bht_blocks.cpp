#include "devices/collectors/bht_blocks.h"

#include <cmath>

#include "buffers/buffer_functions.h"
#include "buffers/field_format.h"

#ifndef ZELVANE_BHT_VERIFY_CHECK
#error "the build sets ZELVANE_BHT_VERIFY_CHECK to 1 or 0 for this file"
#endif

namespace zelvane {
namespace {

bool Framed(const CChrArr& block, int length, std::uint8_t first) {
  return block.GetSize() == length && block[0] == first && block[length - 1] == control::kEtx;
}

}  // namespace

std::uint8_t BhtBlockCheck(const CChrArr& block) {
  std::uint8_t check = 0;
  for (int i = 1; i < block.GetSize(); ++i) check ^= block[i];
  return check;
}

bool BhtCheckVerified() {
  return ZELVANE_BHT_VERIFY_CHECK != 0;
}

std::optional<int> BhtRecordCount(const CChrArr& header) {
  if (!Framed(header, bht::kHeaderLength, control::kSoh)) return std::nullopt;
  // Five characters hold at most 99999; a negative count would never run down.
  const double count = std::trunc(ToDouble(SubStr(header, 14, 5)));
  if (!(count >= 0 && count <= 99999)) return std::nullopt;
  return static_cast<int>(count);
}

std::optional<ReadingRecord> BhtRecord(const CChrArr& block) {
  if (!Framed(block, bht::kRecordLength, control::kStx)) return std::nullopt;
  ReadingRecord record{};
  ToFixedText(record.text, TrimByte(SubStr(block, 2, 16), ' '),
              static_cast<int>(ReadingRecord::kTextSize) - 1);
  record.quantity = ToDouble(TrimByte(SubStr(block, 18, 5), ' '));
  return record;
}

}  // namespace zelvane
