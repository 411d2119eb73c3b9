#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace spr_lan {

// The terminal's display commands: ESC '%' clears the screen and homes the cursor,
// CR starts a new line, printable bytes are shown (code page 852).
inline constexpr std::string_view kClearScreen = "\x1B%";
inline constexpr char kNewLine = '\r';
inline constexpr std::size_t kLineWidth = 20;

// The commands that show a price request's answer: nothing but the clearing for kind
// 0; otherwise the display text (up to its NUL, at most 40 bytes) on two lines, split
// at its line feed, or after 20 bytes when it has none. Control bytes of the text
// are shown as spaces, so a host's text cannot send commands of its own.
std::string ComposeTerminalAnswer(std::int32_t kind, std::string_view display);

}  // namespace spr_lan
