// The clock of the fuzz build: the scripted line's virtual time, so that every time
// limit of the library runs out as soon as the library waits it out.
#include <time.h>

#include "platform/clock.h"
#include "scripted_line_state.h"

namespace zelvane::platform {

std::int64_t WallClockMilliseconds() {
  return static_cast<std::int64_t>(fuzzing::Line().nowMs);
}

std::int64_t WallClockSeconds() {
  return WallClockMilliseconds() / 1000;
}

std::uint64_t TickMilliseconds() {
  return fuzzing::Line().nowMs;
}

bool LocalTime(std::int64_t seconds, std::tm& out) {
  const time_t value = static_cast<time_t>(seconds);
  return gmtime_r(&value, &out) != nullptr;
}

}  // namespace zelvane::platform
