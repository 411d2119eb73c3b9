#pragma once

#include <string_view>

namespace zelvane {

// Reads the decimal real number that starts the text: leading white space, an
// optional sign, digits with "." as the decimal point, an optional exponent; reading
// stops at the first character that cannot continue the number. No locale is
// consulted. 0.0 when no digit starts the text; a value beyond the range of double
// gives an infinity, one too small for it gives zero.
double ParseDecimal(std::string_view text);

}  // namespace zelvane
