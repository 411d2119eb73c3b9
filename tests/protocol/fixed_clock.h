#pragma once

#include <cstdint>

namespace zelvane::testing {

// A clock for trace logs that stands at the second last set.
void SetFixedClock(std::int64_t second);
std::int64_t FixedClock();

// The second at which the local clock showed this time of 2024.
std::int64_t LocalSecond(int month, int day, int hour, int minute, int second);

}  // namespace zelvane::testing
