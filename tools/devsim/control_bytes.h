#pragma once

// The control characters that the simulated devices frame their dialogues with.
namespace zelvane::devsim::control {

inline constexpr char kSoh = 0x01;
inline constexpr char kStx = 0x02;
inline constexpr char kEtx = 0x03;
inline constexpr char kEot = 0x04;
inline constexpr char kEnq = 0x05;
inline constexpr char kAck = 0x06;
inline constexpr char kCr = '\r';
inline constexpr char kDc1 = 0x11;
inline constexpr char kNak = 0x15;

}  // namespace zelvane::devsim::control
