// How close a CipherLab transfer through the exported interface comes to the line's
// limit, and what it costs the host's process. The terminal is zelvane-devsim's,
// paced at 10 bits a byte, played by a child process on a pseudo-terminal, so that
// the processor time measured here is the library's (and this program's idle wait).
//
//   cipherlab_transfer_benchmark [download records] [upload records] [baud]
//                                               (10000, 1000, both 115200 and 9600)
//
// For a download (run mode 2) and an upload (run mode 3) at 115200 and at 9600 baud:
// records per second, the share of the wire limit (the bytes both sides must send, at
// 10 bits a byte, over the elapsed time) and the processor used as a share of a core.
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "collector_run.h"
#include "terminal_process.h"
#include "zelvane.h"

namespace {

namespace bench = zelvane::benchmarks;
using bench::TerminalProcess;

constexpr int kPort = 9;
constexpr std::size_t kReply = 4;  // "ACK" CR
constexpr std::size_t kEnd = 10;   // "OVER" CR "OVER" CR

RunRequest TerminalRequest(int baud) {
  RunRequest request{};
  request.device = 500;
  request.port = kPort;
  request.baud = baud;
  return request;
}

// The download's bytes: the command and its ACK, each record's frame (sequence byte,
// text, two check bytes, CR) and its ACK, and the end marker.
std::size_t DownloadBytes(long records) {
  std::size_t bytes = 5 + kReply + kEnd;
  for (long i = 1; i <= records; ++i) {
    const std::string text = "Towar " + std::to_string(i) + "," +
                             std::to_string(5900000000000LL + i) + "," + std::to_string(i % 9 + 1) +
                             "," + std::to_string(100 + i % 900);
    bytes += 1 + text.size() + 3 + kReply;
  }
  return bytes;
}

std::vector<HostLineRecord> UploadLines(long count, std::size_t& wireBytes) {
  std::vector<HostLineRecord> lines(static_cast<std::size_t>(count));
  wireBytes = 7 + kReply + kEnd;
  for (long i = 0; i < count; ++i) {
    HostLineRecord& line = lines[static_cast<std::size_t>(i)];
    line = HostLineRecord{};
    std::snprintf(line.code, sizeof line.code, "%lld", 5900000000000LL + i);
    std::snprintf(line.name, sizeof line.name, "Towar %ld", i);
    line.quantity = static_cast<double>(i % 9 + 1);
    line.price = 1.25 + static_cast<double>(i % 100);
    char text[128];
    const int length = std::snprintf(text, sizeof text, "%s,%s,%d,0,%.2f", line.name, line.code,
                                     static_cast<int>(line.quantity), line.price);
    wireBytes += static_cast<std::size_t>(length) + 3 + kReply;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  const long downloads = argc > 1 ? std::atol(argv[1]) : 10000;
  const long uploads = argc > 2 ? std::atol(argv[2]) : 1000;
  signal(SIGPIPE, SIG_IGN);
  bench::WatchCollectorRuns();
  if (ScanerCreate(nullptr) != 1) return 1;
  std::size_t uploadBytes = 0;
  std::vector<HostLineRecord> lines = UploadLines(uploads, uploadBytes);
  const std::string variable = "ZELVANE_COM" + std::to_string(kPort);
  const int onlyBaud = argc > 3 ? std::atoi(argv[3]) : 0;
  for (const int baud : {115200, 9600}) {
    if (onlyBaud != 0 && baud != onlyBaud) continue;
    {
      TerminalProcess terminal(
          {"cipherlab", "--baud", std::to_string(baud), "--generate", std::to_string(downloads)});
      setenv(variable.c_str(), terminal.Slave().c_str(), 1);
      bench::PrintCollectorRun("download", baud, DownloadBytes(downloads),
                               bench::RunCollector(TerminalRequest(baud), 2));
    }
    {
      TerminalProcess terminal({"cipherlab", "--baud", std::to_string(baud)});
      setenv(variable.c_str(), terminal.Slave().c_str(), 1);
      bench::CollectorRunFigures figures = bench::RunCollector(
          TerminalRequest(baud), 3, lines.data(), static_cast<int32_t>(lines.size()));
      figures.records = figures.succeeded ? uploads : 0;  // nothing counts loaded lines
      bench::PrintCollectorRun("upload", baud, uploadBytes, figures);
    }
  }
  ScanerDelete();
  return 0;
}
