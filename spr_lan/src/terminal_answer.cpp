#include "terminal_answer.h"

namespace spr_lan {
namespace {

constexpr std::size_t kMaxDisplay = 40;

std::string Printable(std::string_view text) {
  std::string shown(text);
  for (char& byte : shown) {
    const auto value = static_cast<unsigned char>(byte);
    if (value < 0x20 || value == 0x7F) byte = ' ';
  }
  return shown;
}

}  // namespace

std::string ComposeTerminalAnswer(std::int32_t kind, std::string_view display) {
  std::string commands(kClearScreen);
  if (kind == 0) return commands;
  display = display.substr(0, display.find('\0')).substr(0, kMaxDisplay);
  const std::size_t lineFeed = display.find('\n');
  const bool splitAtLineFeed = lineFeed != std::string_view::npos;
  const std::size_t firstEnd = splitAtLineFeed ? lineFeed : std::min(display.size(), kLineWidth);
  const std::string_view second =
      display.substr(std::min(display.size(), firstEnd + (splitAtLineFeed ? 1 : 0)));
  commands += Printable(display.substr(0, firstEnd));
  if (!second.empty()) commands.append(1, kNewLine).append(Printable(second));
  return commands;
}

}  // namespace spr_lan
