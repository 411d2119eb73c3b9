#include "collector_run.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include "process_clock.h"

namespace zelvane::benchmarks {
namespace {

constexpr double kBitsPerByte = 10;
constexpr int32_t kSucceeded = 10;
constexpr int32_t kFailed = 7;

std::atomic<int32_t> g_outcome{0};
std::atomic<long> g_records{0};

void ZELVANE_CALL OnNotice(int32_t code, const char*, int32_t, int32_t) {
  if (code == kSucceeded || code == kFailed) g_outcome.store(code);
}

void ZELVANE_CALL OnRecord(HostLineRecord*) {
  g_records.fetch_add(1);
}

}  // namespace

void WatchCollectorRuns() {
  ZelvaneSetStatusObserver(&OnNotice);
}

CollectorRunFigures RunCollector(const RunRequest& request, int32_t mode, HostLineRecord* records,
                                 int32_t count) {
  using Clock = std::chrono::steady_clock;
  g_outcome.store(0);
  g_records.store(0);
  const double cpu = ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  const int32_t started =
      ZelvaneRunCollector(&request, mode, mode == 2 ? &OnRecord : nullptr, records, count);
  while (started == 1 && g_outcome.load() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpuSeconds = ProcessCpuSeconds() - cpu;
  // Let the job close the port before the terminal goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  return {g_outcome.load() == kSucceeded, g_records.load(), seconds, cpuSeconds};
}

void PrintCollectorRun(const char* what, int baud, std::size_t wireBytes,
                       const CollectorRunFigures& figures, long expectedRecords) {
  const double wireSeconds = static_cast<double>(wireBytes) * kBitsPerByte / baud;
  const bool complete = expectedRecords < 0 || figures.records == expectedRecords;
  std::printf(
      "%-8s %6d baud %6ld records %8.2f s  %8.1f records/s  wire limit %5.1f %%  "
      "processor %5.2f %% of a core%s\n",
      what, baud, figures.records, figures.seconds, figures.records / figures.seconds,
      100.0 * wireSeconds / figures.seconds, 100.0 * figures.cpuSeconds / figures.seconds,
      figures.succeeded && complete ? "" : "  (FAILED)");
  std::fflush(stdout);
}

}  // namespace zelvane::benchmarks
