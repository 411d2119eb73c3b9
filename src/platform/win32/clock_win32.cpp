#include <windows.h>

#include <time.h>

#include <cstdint>

#include "platform/clock.h"

namespace zelvane::platform {

std::int64_t WallClockMilliseconds() {
  // 100 ns steps since 1601-01-01; the Unix epoch is 11644473600 s later.
  constexpr std::int64_t kStepsPerMs = 10000;
  constexpr std::int64_t kEpochOffsetMs = 11644473600000;
  FILETIME now{};
  ::GetSystemTimeAsFileTime(&now);
  const std::int64_t steps = static_cast<std::int64_t>(
      (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime);
  return steps / kStepsPerMs - kEpochOffsetMs;
}

std::int64_t WallClockSeconds() {
  return WallClockMilliseconds() / 1000;
}

std::uint64_t TickMilliseconds() {
  return ::GetTickCount64();
}

bool LocalTime(std::int64_t seconds, std::tm& out) {
  const __time64_t value = seconds;
  return _localtime64_s(&out, &value) == 0;
}

}  // namespace zelvane::platform
