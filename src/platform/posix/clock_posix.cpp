#include <time.h>

#include "platform/clock.h"

namespace zelvane::platform {

std::int64_t WallClockMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

std::int64_t WallClockSeconds() {
  return WallClockMilliseconds() / 1000;
}

std::uint64_t TickMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<std::uint64_t>(now.tv_sec) * 1000u +
         static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
}

bool LocalTime(std::int64_t seconds, std::tm& out) {
  const time_t value = static_cast<time_t>(seconds);
  return localtime_r(&value, &out) != nullptr;
}

}  // namespace zelvane::platform
