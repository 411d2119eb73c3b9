#include "buffers/decimal_parser.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <system_error>

namespace zelvane {
namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// The white space of the "C" locale.
bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// from_chars reads the digits, the point and the exponent itself (and rejects a point
// without digits), but it would also take a second sign, "inf" and "nan", none of
// which is a number here.
bool MayStartUnsignedNumber(const char* position, const char* end) {
  return position != end && (IsDigit(*position) || *position == '.');
}

// The power of ten of the first significant digit of a number that from_chars found
// out of range. That digit then sits hundreds of places before or after the point,
// so the sign of the result tells overflow from underflow even with an exponent cut
// to 32 bits.
std::int64_t DecimalMagnitude(const char* first, const char* last) {
  const char* const integerEnd = std::find_if_not(first, last, IsDigit);
  const char* fractionBegin = integerEnd;
  const char* fractionEnd = integerEnd;
  if (integerEnd != last && *integerEnd == '.') {
    fractionBegin = integerEnd + 1;
    fractionEnd = std::find_if_not(fractionBegin, last, IsDigit);
  }
  std::int64_t exponent = 0;
  if (fractionEnd != last) {  // "e", an optional sign and the digits that from_chars took
    const char* digits = fractionEnd + 1;
    const bool negative = *digits == '-';
    if (*digits == '+' || *digits == '-') ++digits;
    // Cut to 32 bits, so that adding the count of digits cannot overflow.
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    if (std::from_chars(digits, last, exponent).ec != std::errc()) exponent = kLimit;
    exponent = std::min(exponent, kLimit);
    if (negative) exponent = -exponent;
  }
  const char* const significant = std::find_if(first, integerEnd, [](char c) { return c != '0'; });
  if (significant != integerEnd) return exponent + (integerEnd - significant) - 1;
  const char* const fractionSignificant =
      std::find_if(fractionBegin, fractionEnd, [](char c) { return c != '0'; });
  return exponent - (fractionSignificant - fractionBegin) - 1;
}

}  // namespace

double ParseDecimal(std::string_view text) {
  const char* position = text.data();
  const char* const end = position + text.size();
  while (position != end && IsSpace(*position)) ++position;
  bool negative = false;
  if (position != end && (*position == '+' || *position == '-')) {
    negative = *position == '-';
    ++position;
  }
  if (!MayStartUnsignedNumber(position, end)) return 0.0;

  double value = 0.0;
  const std::from_chars_result result =
      std::from_chars(position, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    value =
        DecimalMagnitude(position, result.ptr) > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  }
  return negative ? -value : value;
}

}  // namespace zelvane
