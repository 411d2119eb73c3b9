#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>

#include "device_link.h"

namespace zelvane::devsim {

// A link as slow as a serial cable: every byte takes 10 bit times (start bit, 8 data
// bits, stop bit) at the given speed in each direction. What the device writes reaches
// the PC a piece at a time as the bytes would come off the wire; what the PC sent is
// handed on only once its last byte would have arrived. A speed of 0 paces nothing.
class PacedLink : public DeviceLink {
 public:
  PacedLink(DeviceLink& inner, int baud);

  bool Write(std::string_view bytes) override;
  std::string Read(std::size_t count, int timeoutMs) override;

  // How long `bytes` bytes take on the wire at `baud`.
  static std::chrono::nanoseconds WireTime(std::size_t bytes, int baud);

 private:
  using Clock = std::chrono::steady_clock;

  DeviceLink& m_inner;
  int m_baud;
  // Bytes written at once: about a millisecond of the line, at least one.
  std::size_t m_piece;
  Clock::time_point m_outputFree;
};

}  // namespace zelvane::devsim
