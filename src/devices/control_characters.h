#pragma once

#include <cstdint>

// The ASCII control characters that frame the devices' blocks and dialogues.
namespace zelvane::control {

inline constexpr std::uint8_t kSoh = 0x01;
inline constexpr std::uint8_t kStx = 0x02;
inline constexpr std::uint8_t kEtx = 0x03;
inline constexpr std::uint8_t kEot = 0x04;
inline constexpr std::uint8_t kEnq = 0x05;
inline constexpr std::uint8_t kAck = 0x06;
inline constexpr std::uint8_t kCr = 0x0D;
inline constexpr std::uint8_t kDc1 = 0x11;
inline constexpr std::uint8_t kNak = 0x15;

}  // namespace zelvane::control
