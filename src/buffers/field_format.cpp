#include "buffers/field_format.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <limits>

#include "buffers/buffer_functions.h"
#include "buffers/decimal_parser.h"

namespace zelvane {
namespace {

// The "%11.Nf" formats right-align in 11 characters; "%f" has six decimals.
constexpr int kFixedFieldWidth = 11;
constexpr int kLongestShortForm = 4;
constexpr int kDefaultDecimals = 6;
// Sign, the integer digits of the largest double, point, decimals, terminator.
constexpr int kLongestFixedText =
    1 + (std::numeric_limits<double>::max_exponent10 + 1) + 1 + kDefaultDecimals + 1;

CChrArr FillFront(const CChrArr& text, int width, std::uint8_t fill) {
  if (text.GetSize() >= width) return text;
  return CChrArr(fill, width - text.GetSize()) + text;
}

CChrArr FillBehind(const CChrArr& text, int width, std::uint8_t fill) {
  if (text.GetSize() >= width) return text;
  return text + CChrArr(fill, width - text.GetSize());
}

}  // namespace

// Integer conversions have no locale-dependent characters, so printf is safe here.
CChrArr FormatUInt(std::uint32_t value, int base, int width, std::uint8_t fill) {
  char digits[std::numeric_limits<std::uint32_t>::digits10 + 2];
  std::snprintf(digits, sizeof digits, base == 16 ? "%X" : "%u", static_cast<unsigned>(value));
  return FillFront(digits, width, fill);
}

// printf would write the locale's decimal separator; to_chars always writes ".".
CChrArr FormatFixed(double value, int width, int decimals) {
  const bool shortForm = decimals >= 0 && decimals <= kLongestShortForm;
  char text[kLongestFixedText];
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text - 1, value, std::chars_format::fixed,
                    shortForm ? decimals : kDefaultDecimals);
  *result.ptr = '\0';
  return FillFront(text, shortForm ? std::max(width, kFixedFieldWidth) : width, ' ');
}

double ToDouble(const CChrArr& text) {
  return ParseDecimal(
      {reinterpret_cast<const char*>(text.GetData()), static_cast<std::size_t>(text.GetSize())});
}

CChrArr PadLeft(const CChrArr& text, int width, std::uint8_t fill) {
  return text.GetSize() > width ? SubStr(text, 1, width) : FillFront(text, width, fill);
}

CChrArr PadRight(const CChrArr& text, int width, std::uint8_t fill) {
  return text.GetSize() > width ? SubStr(text, 1, width) : FillBehind(text, width, fill);
}

CChrArr TrimByte(const CChrArr& text, std::uint8_t byte) {
  const std::uint8_t* const bytes = text.GetData();
  const int size = text.GetSize();
  int leading = 0;
  while (leading < size && bytes[leading] == byte) ++leading;
  int trailing = 0;
  while (trailing < size - leading && bytes[size - 1 - trailing] == byte) ++trailing;
  return text.Mid(leading, size - leading - trailing);
}

CChrArr ReplaceByte(const CChrArr& text, std::uint8_t from, std::uint8_t to) {
  CChrArr result(text);
  std::replace(result.GetData(), result.GetData() + result.GetSize(), from, to);
  return result;
}

}  // namespace zelvane
