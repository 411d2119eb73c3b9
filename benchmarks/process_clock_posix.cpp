#include <time.h>

#include "process_clock.h"

namespace zelvane::benchmarks {

double ProcessCpuSeconds() {
  timespec used{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return static_cast<double>(used.tv_sec) + static_cast<double>(used.tv_nsec) / 1e9;
}

double WineServerCpuSeconds() {
  return -1.0;
}

}  // namespace zelvane::benchmarks
