#include "protocol/fixed_clock.h"

#include <atomic>
#include <ctime>

namespace zelvane::testing {
namespace {

std::atomic<std::int64_t> g_second{0};

}  // namespace

void SetFixedClock(std::int64_t second) {
  g_second.store(second);
}

std::int64_t FixedClock() {
  return g_second.load();
}

std::int64_t LocalSecond(int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = 2024 - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return static_cast<std::int64_t>(std::mktime(&local));
}

}  // namespace zelvane::testing
