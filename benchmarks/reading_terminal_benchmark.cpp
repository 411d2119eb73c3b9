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

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "collector_run.h"
#include "terminal_process.h"
#include "zelvane.h"

namespace {

namespace bench = zelvane::benchmarks;

constexpr int kPort = 9;
// The terminals call every this many milliseconds until the PC answers.
constexpr const char* kCallEvery = "20";

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
  RunRequest request{};
  request.device = device;
  request.port = kPort;
  bench::PrintCollectorRun(what, baud, wireBytes, bench::RunCollector(request, 2), records);
}

}  // namespace

int main(int argc, char** argv) {
  const long bhtRecords = argc > 1 ? std::atol(argv[1]) : 10000;
  const long casioRecords = argc > 2 ? std::atol(argv[2]) : 10000;
  signal(SIGPIPE, SIG_IGN);
  bench::WatchCollectorRuns();
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
