#pragma once

#include <cstdint>
#include <optional>

namespace zelvane {

// The fields of a settings text such as "9600,N,8,1": speed, parity letter, data bits
// and stop-bit code (1 one, 2 two, 3 one and a half). They are read as scanf reads
// "%d,%C,%d,%d", stopping at the first field that does not match (or a number that
// does not fit), so a field is there only when all before it are.
struct SettingsText {
  std::optional<int> baudRate;
  std::optional<char> parity;
  std::optional<int> dataBits;
  std::optional<int> stopBits;
};
SettingsText ParseSettingsText(const char* text);

// The engine's settings as the platform's line codes. A value the engine does not pass
// on becomes the rejected code, which the platform refuses, so that the port keeps its
// previous line settings.
inline constexpr std::uint32_t kRejectedSpeed = 0xFFFFFFFF;
inline constexpr std::uint8_t kRejectedCode = 0xFF;
// The speeds of the original engine's list; any other is rejected.
std::uint32_t PlatformSpeed(int baudRate);
// E, M, N, O and S.
std::uint8_t PlatformParity(char letter);
// 5 to 8.
std::uint8_t PlatformDataBits(int dataBits);
// The stop-bit codes 1, 2 and 3.
std::uint8_t PlatformStopBits(int code);

}  // namespace zelvane
