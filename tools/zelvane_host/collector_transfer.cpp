#include "collector_transfer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "collector_csv.h"
#include "console.h"
#include "cp1250_text.h"
#include "job_report.h"
#include "job_runner.h"

namespace zelvane::host {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kReadMode = 2;
constexpr std::int32_t kLoadMode = 3;
constexpr std::int32_t kProgressNotice = 5;
constexpr std::int32_t kRunSucceeded = 10;
constexpr std::int32_t kRunFailed = 7;
constexpr unsigned kRefreshMs = 200;
constexpr std::chrono::seconds kPlainLineEvery{2};
constexpr int kBarWidth = 20;

// What the library's callbacks report; they run on its worker thread.
std::atomic<long> g_records{0};
std::atomic<int> g_progress{0};
std::atomic<int> g_outcome{0};
std::FILE* g_csv = nullptr;
// The records go to standard output, each after the progress notice that announces it.
bool g_recordsShown = false;

void ZELVANE_CALL WriteRecord(HostLineRecord* record) {
  const CsvRecord line{Cp1250ToUtf8(record->code), Cp1250ToUtf8(record->name), record->quantity,
                       record->price};
  std::fputs((CsvLine(line) + "\n").c_str(), g_csv);
  std::fflush(g_csv);
  g_records.fetch_add(1);
}

// Progress notices come once per record: they feed the bar instead of the screen.
void ZELVANE_CALL TakeTransferNotice(std::int32_t code, const char* text, std::int32_t first,
                                     std::int32_t second) {
  if (code == kProgressNotice && !g_recordsShown) {
    g_progress.store(first);
    return;
  }
  if (code == kRunSucceeded || code == kRunFailed) g_outcome.store(code);
  PrintStatusNotice(code, text, first, second);
}

void CopyField(char* field, std::size_t size, const std::string& utf8) {
  std::snprintf(field, size, "%s", Utf8ToCp1250(utf8).c_str());
}

// The file's records as the library takes them; false, with the reason printed, for a
// line that is not a record.
bool ReadCsvFile(const std::string& path, std::vector<HostLineRecord>& records) {
  std::ifstream file(path);
  if (!file) {
    PrintLine("cannot read " + path);
    return false;
  }
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    if (line.empty() || (number == 1 && line.rfind("code,", 0) == 0)) continue;
    const std::optional<CsvRecord> record = ParseCsvLine(line);
    if (!record) {
      PrintLine(path + ":" + std::to_string(number) + ": not \"code,name,quantity,price\"");
      return false;
    }
    HostLineRecord host{};
    CopyField(host.code, sizeof host.code, record->code);
    CopyField(host.name, sizeof host.name, record->name);
    host.quantity = record->quantity;
    host.price = record->price;
    records.push_back(host);
  }
  return true;
}

// The progress of the running transfer, redrawn in place on a terminal.
class ProgressView {
 public:
  explicit ProgressView(long total) : m_total(total), m_onTerminal(OutputIsTerminal()) {}

  void Show(bool last) {
    const auto now = Clock::now();
    if (!m_onTerminal && !last && now - m_lastLine < kPlainLineEvery) return;
    m_lastLine = now;
    const double seconds = std::chrono::duration<double>(now - m_start).count();
    const long records = g_records.load();
    char figures[96];
    if (m_total > 0) {
      std::snprintf(figures, sizeof figures, "%ld records, %.0f s", m_total, seconds);
    } else {
      std::snprintf(figures, sizeof figures, "%ld records, %.0f records/s", records,
                    seconds > 0 ? records / seconds : 0.0);
    }
    if (!m_onTerminal) return PrintLine(figures);
    // A read's bar follows the library's progress, which starts again after 90.
    const int filled = m_total > 0 ? 0 : g_progress.load() * kBarWidth / 100;
    const std::string bar =
        "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
    std::fputs(("\r" + bar + figures + (last ? "\n" : "  ")).c_str(), stdout);
    std::fflush(stdout);
  }

 private:
  long m_total;
  bool m_onTerminal;
  Clock::time_point m_start = Clock::now();
  Clock::time_point m_lastLine = Clock::now();
};

}  // namespace

int RunCollectorTransfer(const ZelvaneApi& api, const HostOptions& options) {
  const bool reading = !options.readCsv.empty();
  std::vector<HostLineRecord> records;
  if (!reading && !ReadCsvFile(options.loadCsv, records)) return 2;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> csv(nullptr, &std::fclose);
  g_recordsShown = reading && options.readCsv == "-";
  if (reading && !g_recordsShown) {
    csv.reset(std::fopen(options.readCsv.c_str(), "w"));
    if (!csv) {
      PrintLine("cannot write " + options.readCsv);
      return 2;
    }
    g_csv = csv.get();
  }
  if (reading) {
    if (g_recordsShown) g_csv = stdout;
    std::fputs((std::string(kCsvHeader) + "\n").c_str(), g_csv);
  }

  api.setMessageHandler(&PrintLibraryMessage);
  api.setStatusObserver(&TakeTransferNotice);
  if (api.create(nullptr) == 0) {
    PrintLine("ScanerCreate failed");
    PrintLastError(api);
    return 1;
  }
  const RunRequest request = MakeRunRequest(options);
  PrintLine(std::string(reading ? "reading device " : "loading ") +
            (reading ? std::to_string(request.device) + " into " + options.readCsv
                     : std::to_string(records.size()) + " records into device " +
                           std::to_string(request.device)) +
            " on port " + std::to_string(request.port) + " at " + std::to_string(request.baud) +
            " baud");
  const std::int32_t started = reading
                                   ? api.runCollector(&request, kReadMode, &WriteRecord, nullptr, 0)
                                   : api.runCollector(&request, kLoadMode, nullptr, records.data(),
                                                      static_cast<std::int32_t>(records.size()));
  if (started == 0) {
    PrintLine("ZelvaneRunCollector refused the transfer");
    PrintLastError(api);
    api.deleteService();
    return 1;
  }

  ProgressView progress(reading ? 0 : static_cast<long>(records.size()));
  while (!JobEnded() && !InterruptRequested()) {
    progress.Show(false);
    SleepMilliseconds(kRefreshMs);
  }
  progress.Show(true);
  if (!JobEnded()) {
    PrintLine("stopping the transfer");
    api.breakJob();
    for (int waited = 0; !JobEnded() && waited < 5000; waited += 50) SleepMilliseconds(50);
  }
  api.deleteService();
  g_csv = nullptr;
  return g_outcome.load() == kRunSucceeded ? 0 : 1;
}

}  // namespace zelvane::host
