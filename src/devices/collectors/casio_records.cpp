#include "devices/collectors/casio_records.h"

#include <cmath>

#include "buffers/buffer_functions.h"
#include "buffers/field_format.h"
#include "protocol/line_reader.h"

namespace zelvane {

std::optional<int> CasioRemainingLength(std::uint8_t first, std::uint8_t second) {
  CChrArr digits;
  digits += first;
  // With one digit, the second byte is the record's leading ":", already taken.
  if (second == casio::kSeparator) {
    const double length = std::trunc(ToDouble(digits));
    if (!(length >= 4)) return std::nullopt;
    return static_cast<int>(length) - 1;
  }
  digits += second;
  const double length = std::trunc(ToDouble(digits));
  if (!(length >= 5 && length <= 99)) return std::nullopt;
  return static_cast<int>(length);
}

std::optional<CChrArr> CasioRecordText(const CChrArr& rest, int count) {
  if (rest.GetSize() != count || count < 1 || rest[count - 1] != kCarriageReturn)
    return std::nullopt;
  const int start = rest[0] == casio::kSeparator ? 1 : 0;
  return rest.Mid(start, count - 1 - start);
}

std::optional<ReadingRecord> CasioRecord(const CChrArr& text) {
  const int separator = text.Find(casio::kSeparator);
  if (separator < 0 || separator == text.GetSize() - 1) return std::nullopt;
  ReadingRecord record{};
  ToFixedText(record.text, text.Left(separator), static_cast<int>(ReadingRecord::kTextSize) - 1);
  record.quantity = ToDouble(text.Mid(separator + 1));
  return record;
}

}  // namespace zelvane
