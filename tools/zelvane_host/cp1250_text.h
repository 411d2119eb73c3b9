#pragma once

#include <string>
#include <string_view>

namespace zelvane::host {

// The library's texts are code page 1250; the terminal expects UTF-8. The Polish
// letters are converted, ASCII passes unchanged and any other byte above 127 becomes
// '?'. A null text gives an empty one.
std::string Cp1250ToUtf8(const char* text);

// The other way, for texts that the host hands to the library (price lists, CSV files): the
// Polish letters become code page 1250, ASCII passes unchanged and any other
// character becomes '?'.
std::string Utf8ToCp1250(std::string_view text);

}  // namespace zelvane::host
