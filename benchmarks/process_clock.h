#pragma once

// Processor time for the wait benchmark: this process's, and that of the Wine server
// when the program runs under Wine (its pid in ZELVANE_WINESERVER_PID; the runner
// sets it), since Wine does part of every wait there.
namespace zelvane::benchmarks {

// Seconds of processor time used by this process so far.
double ProcessCpuSeconds();

// Seconds used by the Wine server so far; negative when there is none to measure.
double WineServerCpuSeconds();

}  // namespace zelvane::benchmarks
