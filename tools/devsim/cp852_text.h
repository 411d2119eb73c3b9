#pragma once

#include <string>
#include <string_view>

namespace zelvane::devsim {

// What a price-checker display shows of its code page 852 bytes, as UTF-8: ASCII as
// it is, the Polish letters, and '?' for any other byte above 127, which the displays
// never get from the service. The table is the simulators' own, written from the code
// page, so that a terminal checks the library's conversion instead of repeating it.
std::string Cp852ToUtf8(std::string_view text);

}  // namespace zelvane::devsim
