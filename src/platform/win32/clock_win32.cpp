#include <windows.h>

#include <time.h>

#include "platform/clock.h"

namespace zelvane::platform {

std::int64_t WallClockSeconds() {
  return static_cast<std::int64_t>(::time(nullptr));
}

std::uint64_t TickMilliseconds() {
  return ::GetTickCount64();
}

bool LocalTime(std::int64_t seconds, std::tm& out) {
  const __time64_t value = seconds;
  return _localtime64_s(&out, &value) == 0;
}

}  // namespace zelvane::platform
