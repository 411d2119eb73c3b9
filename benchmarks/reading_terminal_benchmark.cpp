// How close the downloads of the terminals that lead their own transfers come to the
// line's limit, and what they cost the host's process: a Denso BHT-6045 (device 503)
// at 9600 baud and a Casio DT-700 (device 505) at 19200, read through
// ZelvaneRunCollector from zelvane-devsim's terminals paced at 10 bits a byte in a
// child process.
//
//   reading_terminal_benchmark [BHT records] [Casio records]     (10000, 10000)
//
// For each: records per second, the share of the wire limit (the bytes both sides
// must send, at 10 bits a byte, over the elapsed time from the start of the run to
// its end) and the processor used as a share of a core.
#include <signal.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "process_clock.h"
#include "terminal_process.h"
#include "zelvane.h"

namespace {

using Clock = std::chrono::steady_clock;
namespace bench = zelvane::benchmarks;

constexpr int kPort = 9;
constexpr double kBitsPerByte = 10;
// The terminals call every this many milliseconds until the PC answers.
constexpr const char* kCallEvery = "20";

std::atomic<int> g_outcome{0};
std::atomic<long> g_records{0};

void ZELVANE_CALL OnNotice(int32_t code, const char*, int32_t, int32_t) {
  if (code == 10 || code == 7) g_outcome.store(code);
}

void ZELVANE_CALL OnRecord(HostLineRecord*) {
  g_records.fetch_add(1);
}

// zelvane-devsim's numbered records: 13-digit codes, quantities 1 to 9.
std::string Code(long i) {
  return std::to_string(5900000000000LL + i);
}

// ENQ and ACK, the header (25 bytes and its check byte) and ACK, each record block (23
// and a check byte) and ACK, EOT and ACK, and the byte that ends the transfer.
std::size_t BhtWireBytes(long records) {
  return 2 + 27 + static_cast<std::size_t>(records) * 25 + 2 + 1;
}

// "?" ETX and ACK, "-" STX, each record (length, ":" code ":" quantity CR), "!" ETX
// and ACK.
std::size_t CasioWireBytes(long records) {
  std::size_t bytes = 3 + 2 + 3;
  for (long i = 1; i <= records; ++i) {
    const std::size_t record = 1 + Code(i).size() + 1 + 1 + 1;
    bytes += std::to_string(record).size() + record;
  }
  return bytes;
}

void Download(const char* what, int32_t device, int baud, long records,
              const std::vector<std::string>& terminalArguments, std::size_t wireBytes) {
  bench::TerminalProcess terminal(terminalArguments);
  const std::string variable = "ZELVANE_COM" + std::to_string(kPort);
  setenv(variable.c_str(), terminal.Slave().c_str(), 1);
  g_outcome.store(0);
  g_records.store(0);
  RunRequest request{};
  request.device = device;
  request.port = kPort;
  const double cpu = bench::ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  const int32_t started = ZelvaneRunCollector(&request, 2, &OnRecord, nullptr, 0);
  while (started == 1 && g_outcome.load() == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpuSeconds = bench::ProcessCpuSeconds() - cpu;
  const double wireSeconds = static_cast<double>(wireBytes) * kBitsPerByte / baud;
  const long delivered = g_records.load();
  std::printf(
      "%-6s %6d baud %6ld records %8.2f s  %8.1f records/s  wire limit %5.1f %%  "
      "processor %5.2f %% of a core%s\n",
      what, baud, delivered, seconds, delivered / seconds, 100.0 * wireSeconds / seconds,
      100.0 * cpuSeconds / seconds,
      g_outcome.load() == 10 && delivered == records ? "" : "  (FAILED)");
  std::fflush(stdout);
  // Let the job close the port before the terminal goes.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

}  // namespace

int main(int argc, char** argv) {
  const long bhtRecords = argc > 1 ? std::atol(argv[1]) : 10000;
  const long casioRecords = argc > 2 ? std::atol(argv[2]) : 10000;
  signal(SIGPIPE, SIG_IGN);
  ZelvaneSetStatusObserver(&OnNotice);
  if (ScanerCreate(nullptr) != 1) return 1;
  // The transfer's first record is never delivered: one more is sent, and a stray byte
  // ends the transfer without the PC's wait for another file.
  if (bhtRecords > 0) {
    Download("BHT", 503, 9600, bhtRecords,
             {"bht", "--every", kCallEvery, "--generate", std::to_string(bhtRecords + 1),
              "--stray-byte"},
             BhtWireBytes(bhtRecords + 1));
  }
  if (casioRecords > 0) {
    Download("Casio", 505, 19200, casioRecords,
             {"casio", "--every", kCallEvery, "--generate", std::to_string(casioRecords)},
             CasioWireBytes(casioRecords));
  }
  ScanerDelete();
  return 0;
}
