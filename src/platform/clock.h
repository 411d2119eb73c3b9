#pragma once

#include <cstdint>
#include <ctime>

namespace zelvane::platform {

// Seconds of the wall clock (the serial deadlines count whole seconds).
std::int64_t WallClockSeconds();
// The same clock in milliseconds: WallClockSeconds() is this divided by 1000.
std::int64_t WallClockMilliseconds();

// Milliseconds of a monotonic process clock.
std::uint64_t TickMilliseconds();

// The local calendar time of a wall-clock second; false when it cannot be converted.
bool LocalTime(std::int64_t seconds, std::tm& out);

}  // namespace zelvane::platform
