// A long shop day in one process: start/break cycles spread over a scanner, a scale, a
// CipherLab collector and a price checker, and collector downloads, against
// zelvane-devsim's devices (played by child processes on pseudo-terminals) and the
// price-checker service on loopback. Prints the process's open descriptors, threads
// and resident memory at the start, after every 200 cycles and at the end; the
// library must give back every descriptor and thread, and its memory must stop
// growing once the first cycles are done.
//
//   soak [cycles] [downloads]                                 (2000 and 200)
//
// Exit status 1 when a run does not end, a download loses a record, or descriptors or
// threads are not back at their start.
#include <dirent.h>
#include <signal.h>
#include <stdlib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "terminal_process.h"
#include "zelvane.h"

namespace {

namespace bench = zelvane::benchmarks;
using namespace std::chrono_literals;

constexpr long kCheckpointEvery = 200;
constexpr long kRecordsPerDownload = 50;

struct Figures {
  long descriptors;
  long threads;
  long residentKiB;
};

long OpenDescriptors() {
  long count = 0;
  if (DIR* folder = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(folder)) {
      if (entry->d_name[0] != '.') ++count;
    }
    closedir(folder);
  }
  return count - 1;  // the folder's own descriptor
}

long StatusField(const char* name) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(name, 0) == 0) return std::atol(line.c_str() + std::strlen(name));
  }
  return -1;
}

// The figures once the last run's worker, which ends right after its close notice,
// is gone (or a second has passed).
Figures Measure(long expectedThreads) {
  Figures figures{};
  for (int waited = 0; waited <= 1000; waited += 10) {
    figures = {OpenDescriptors(), StatusField("Threads:"), StatusField("VmRSS:")};
    if (figures.threads <= expectedThreads) break;
    std::this_thread::sleep_for(10ms);
  }
  return figures;
}

void Print(const char* when, long cycles, const Figures& figures) {
  std::printf("%-10s %5ld cycles  descriptors %4ld  threads %3ld  resident %7ld KiB\n", when,
              cycles, figures.descriptors, figures.threads, figures.residentKiB);
  std::fflush(stdout);
}

// The ends of runs, as the status notices tell them.
std::atomic<long> g_closes{0};
std::atomic<long> g_records{0};
std::atomic<int32_t> g_lastEnd{0};

void ZELVANE_CALL OnNotice(int32_t code, const char*, int32_t, int32_t) {
  if (code == 10 || code == 7) g_lastEnd.store(code);
  if (code == 11) ++g_closes;
}

void ZELVANE_CALL OnRecord(HostLineRecord*) {
  ++g_records;
}

void ZELVANE_CALL OnCode(const char*) {}

// Waits until so many runs have closed; false after ten seconds.
bool AwaitCloses(long count) {
  for (int waited = 0; g_closes.load() < count; waited += 1) {
    if (waited > 10000) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

RunRequest Request(int32_t device, int32_t port) {
  RunRequest request{};
  request.device = device;
  request.port = port;
  request.baud = 115200;
  return request;
}

void MapPort(int port, const bench::TerminalProcess& device) {
  setenv(("ZELVANE_COM" + std::to_string(port)).c_str(), device.Slave().c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
  const long cycles = argc > 1 ? std::atol(argv[1]) : 2000;
  const long downloads = argc > 2 ? std::atol(argv[2]) : 200;
  signal(SIGPIPE, SIG_IGN);
  setenv("ZELVANE_PRICECHECK_LISTEN", "127.0.0.1:0", 1);
  const bench::TerminalProcess scanner({"metrologic", "--codes", "5901234123457", "--every", "50"});
  const bench::TerminalProcess scale({"radwag"});
  const bench::TerminalProcess collector(
      {"cipherlab", "--baud", "115200", "--generate", std::to_string(kRecordsPerDownload)});
  MapPort(1, scanner);
  MapPort(2, scale);
  MapPort(3, collector);
  const RunRequest runs[] = {Request(402, 1), Request(601, 2), Request(500, 3), Request(702, 0)};
  ZelvaneSetStatusObserver(&OnNotice);
  if (ScanerCreate(nullptr) != 1) return 1;

  bool failed = false;
  const Figures start = Measure(StatusField("Threads:"));
  Print("start", 0, start);
  Figures afterFirst = start;
  long closes = 0;
  for (long cycle = 1; cycle <= cycles && !failed; ++cycle) {
    const RunRequest& request = runs[cycle % 4];
    if (ScanerRun(&request, &OnCode) != 1) {
      std::printf("cycle %ld: device %d did not start: %d %s\n", cycle, request.device,
                  ScanerError(), ScanerErrMsg());
      failed = true;
      break;
    }
    ScanerBreakJob();
    if (!AwaitCloses(++closes)) {
      std::printf("cycle %ld: device %d did not end\n", cycle, request.device);
      failed = true;
    }
    if (cycle % kCheckpointEvery == 0) {
      const Figures now = Measure(start.threads);
      if (cycle == kCheckpointEvery) afterFirst = now;
      Print("cycles", cycle, now);
    }
  }
  for (long download = 1; download <= downloads && !failed; ++download) {
    g_records.store(0);
    g_lastEnd.store(0);
    const RunRequest& request = runs[2];
    if (ZelvaneRunCollector(&request, 2, &OnRecord, nullptr, 0) != 1 || !AwaitCloses(++closes) ||
        g_lastEnd.load() != 10 || g_records.load() != kRecordsPerDownload) {
      std::printf("download %ld: ended with %d after %ld of %ld records\n", download,
                  g_lastEnd.load(), g_records.load(), kRecordsPerDownload);
      failed = true;
    }
  }
  ScanerDelete();
  const Figures end = Measure(start.threads);
  Print("end", cycles, end);
  const long grown = end.residentKiB - afterFirst.residentKiB;
  std::printf(
      "descriptors %ld -> %ld, threads %ld -> %ld, memory after the first %ld cycles grew by "
      "%ld KiB (goal: back to the start, under 1024 KiB)%s\n",
      start.descriptors, end.descriptors, start.threads, end.threads, kCheckpointEvery, grown,
      end.descriptors == start.descriptors && end.threads == start.threads && grown < 1024
          ? ""
          : "  MISSED");
  return failed || end.descriptors != start.descriptors || end.threads != start.threads ? 1 : 0;
}
