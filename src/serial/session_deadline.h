#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"

namespace zelvane {

// A session time limit in whole seconds of the wall clock: a limit of s seconds is
// reached once the current second is later than start + s, so it lasts between s and
// s + 1 seconds; 0 and negative limits count from the start itself (callers decide
// what a negative limit means).
class SessionDeadline {
 public:
  explicit SessionDeadline(int seconds)
      : m_lastSecond(platform::WallClockSeconds() + (seconds > 0 ? seconds : 0)) {}

  bool Passed() const { return platform::WallClockSeconds() > m_lastSecond; }

  // Milliseconds until Passed() turns true, at least 1 while it is false.
  std::uint32_t MillisecondsLeft() const {
    const std::int64_t end = (m_lastSecond + 1) * 1000;
    const std::int64_t now = platform::WallClockMilliseconds();
    if (Passed()) return 0;
    return static_cast<std::uint32_t>(std::clamp<std::int64_t>(end - now, 1, INT32_MAX));
  }

 private:
  std::int64_t m_lastSecond;
};

}  // namespace zelvane
