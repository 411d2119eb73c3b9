// Price checkers under load: terminals played over loopback scan at a fixed pace
// against the Zelvane library running device 702, whose host answers from a price
// list read by the command-line host's parser. Prints the answers per second, the
// time from a scan to the first byte of its answer (median, 90th percentile, worst)
// and the processor time of the whole process.
//
//   price_check_benchmark [seconds] [terminals] [every_ms]     (default 30 20 200)
//
// A terminal scans, waits for its answer, then scans again at its next beat (at
// once when the answer came after the beat).
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "price_list.h"
#include "process_clock.h"
#include "sockets.h"
#include "terminal_link.h"
#include "zelvane.h"

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;

const zelvane::host::PriceList* g_prices = nullptr;

// The host: answers every reading from the price list at once.
void ZELVANE_CALL AnswerFromPriceList(const char* code) {
  HostLineRecord record{};
  std::snprintf(record.code, sizeof record.code, "%s", code);
  if (const auto* article = g_prices->Find(code)) {
    std::snprintf(record.name, sizeof record.name, "%s", article->name.c_str());
    record.price = article->price;
  }
  ScanerSetBarCodeInfo(&record);
}

std::string MakePriceList(int articles) {
  std::string csv;
  for (int i = 0; i < articles; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "59%011d,Artykuł numer %d,%d.%02d\n", i, i, i % 100, i % 97);
    csv += line;
  }
  return csv;
}

struct Results {
  std::mutex lock;
  std::vector<double> latencies;  // milliseconds, answered scans
  int blank = 0;                  // answered with a cleared display only
  int lost = 0;                   // no answer within the limit
};

void PlayTerminal(int index, const spr_lan::ListenAddress& service, Clock::time_point end,
                  std::chrono::milliseconds every, Results& results) {
  spr_lan::TerminalLink link;
  std::string error;
  if (!link.Connect(service, error)) {
    std::fprintf(stderr, "terminal %d: %s\n", index, error.c_str());
    return;
  }
  for (int scan = 0; Clock::now() < end; ++scan) {
    const Clock::time_point scanned = Clock::now();
    // One scan in ten is a code the list does not hold.
    char code[32];
    std::snprintf(code, sizeof code, scan % 10 == 9 ? "99%011d" : "59%011d",
                  (index * 37 + scan) % 1000);
    if (!link.SendCode(code)) break;
    const spr_lan::TerminalLink::Received answer =
        link.Receive(std::chrono::seconds(30), std::chrono::milliseconds(5));
    {
      const std::lock_guard<std::mutex> hold(results.lock);
      if (answer.bytes.empty()) {
        ++results.lost;
      } else if (answer.bytes == "\x1B%") {
        ++results.blank;
      } else {
        results.latencies.push_back(Milliseconds(answer.firstByte - scanned).count());
      }
    }
    std::this_thread::sleep_until(scanned + every);
  }
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 30;
  const int terminals = argc > 2 ? std::atoi(argv[2]) : 20;
  const std::chrono::milliseconds every(argc > 3 ? std::atoi(argv[3]) : 200);

  const auto parsed = zelvane::host::PriceList::Parse(MakePriceList(1000));
  const auto& prices = std::get<zelvane::host::PriceList>(parsed);
  g_prices = &prices;

  std::string error;
  spr_lan::net::StartSockets();
  const spr_lan::net::Socket probe = spr_lan::net::OpenListener({"127.0.0.1", 0}, error);
  const spr_lan::ListenAddress service{"127.0.0.1", spr_lan::net::LocalPort(probe)};
  spr_lan::net::CloseSocket(probe);
  ::setenv("ZELVANE_PRICECHECK_LISTEN", ("127.0.0.1:" + std::to_string(service.port)).c_str(), 1);

  ScanerCreate(nullptr);
  RunRequest request{};
  request.device = 702;
  if (ScanerRun(&request, &AnswerFromPriceList) != 1) {
    std::fprintf(stderr, "the price checker did not start (error %d)\n", ScanerError());
    return 1;
  }

  Results results;
  const double cpuBefore = zelvane::benchmarks::ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  const Clock::time_point end = start + std::chrono::seconds(seconds);
  std::vector<std::thread> players;
  for (int i = 0; i < terminals; ++i) {
    players.emplace_back(PlayTerminal, i, std::cref(service), end, every, std::ref(results));
  }
  for (std::thread& player : players) player.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = zelvane::benchmarks::ProcessCpuSeconds() - cpuBefore;

  ScanerBreakJob();
  std::this_thread::sleep_for(std::chrono::milliseconds(800));
  ScanerDelete();

  const std::size_t answered = results.latencies.size();
  std::printf("%d terminals, a scan every %lld ms each, %.1f s\n", terminals,
              static_cast<long long>(every.count()), wall);
  std::printf("answers with a price or 'not found': %zu (%.2f per second)\n", answered,
              static_cast<double>(answered) / wall);
  std::printf("blank answers (no answer in time): %d; no answer at all: %d\n", results.blank,
              results.lost);
  std::printf("scan to answer: median %.0f ms, 90th percentile %.0f ms, worst %.0f ms\n",
              Percentile(results.latencies, 0.5), Percentile(results.latencies, 0.9),
              Percentile(results.latencies, 1.0));
  std::printf("processor: %.2f s over %.1f s, %.2f %% of one core\n", cpu, wall,
              100.0 * cpu / wall);
  return 0;
}
