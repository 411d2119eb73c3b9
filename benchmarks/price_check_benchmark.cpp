// Price checkers at shop scale: terminals played over loopback, each from an address
// of its own (127.0.0.10 and on), against the Zelvane library running device 702. The
// host answers inside its code callback from a 10 000-article list held in memory.
// Every answer is checked against the list; a wrong one on any terminal fails the
// benchmark (exit status 1). Four runs, each a run of device 702 of its own:
//
//   1. paced: 20 terminals, each scanning at random about once every 2 s (1 to 3 s
//      apart): scan-to-answer median and 99th percentile, processor share;
//   2. saturated: 20 terminals scanning again as soon as each answer arrives: answers
//      per second;
//   3. run 1 again while a hostile program on 127.0.0.2 holds 100 connections and
//      scans garbage on them as fast as it can;
//   4. run 3 with ZELVANE_PRICECHECK_ALLOW admitting only the terminals' addresses.
//
//   price_check_benchmark [paced_seconds] [saturated_seconds]     (default 60 10)
//
// The hostile program is this one again, started as `price_check_benchmark --hostile
// HOST:PORT`, so that its processor time is not counted as the library's.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "price_list.h"
#include "process_clock.h"
#include "sockets.h"
#include "terminal_link.h"
#include "zelvane.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::duration<double, std::milli>;
using namespace std::chrono_literals;

constexpr int kArticles = 10000;
constexpr int kTerminals = 20;
constexpr int kFirstTerminalAddress = 10;  // 127.0.0.10, 127.0.0.11, ...
constexpr const char* kHostileAddress = "127.0.0.2";
constexpr int kHostileConnections = 100;
constexpr auto kAnswerLimit = 10s;

std::string TerminalAddress(int index) {
  return "127.0.0." + std::to_string(kFirstTerminalAddress + index);
}

// The articles: code 59 and eleven digits, name "Towar" and five digits, a price.
struct Article {
  std::string code;
  std::string name;
  int cents = 0;
};

Article MakeArticle(int number) {
  char code[16];
  char name[16];
  std::snprintf(code, sizeof code, "59%011d", number);
  std::snprintf(name, sizeof name, "Towar %05d", number);
  return {code, name, (number % 100) * 100 + number % 97};
}

std::string PriceListCsv() {
  std::string csv;
  for (int i = 0; i < kArticles; ++i) {
    const Article article = MakeArticle(i);
    char price[16];
    std::snprintf(price, sizeof price, "%d.%02d", article.cents / 100, article.cents % 100);
    csv += article.code + "," + article.name + "," + price + "\n";
  }
  return csv;
}

// What the terminal must show, written out here rather than taken from the library:
// the name, then "CENA" and the price right-aligned in 14 characters and "zł" (code
// page 852); "NIE ZNALEZIONO KODU" for a code the list lacks.
std::string ExpectedAnswer(const Article* article) {
  if (article == nullptr) return "\x1B%NIE ZNALEZIONO KODU";
  char price[16];
  std::snprintf(price, sizeof price, "%d.%02d", article->cents / 100, article->cents % 100);
  return "\x1B%" + article->name + "\rCENA" + std::string(14 - std::strlen(price), ' ') + price +
         "z\x88";
}

// The host: looks each code up in its list (indexed, as a shop application's database
// would be) and answers at once.
class Host {
 public:
  explicit Host(const zelvane::host::PriceList& list) {
    for (const auto& article : list.Articles()) m_index.emplace(article.code, &article);
  }
  static void ZELVANE_CALL OnCode(const char* code) { s_host->Answer(code); }
  static void Serve(Host* host) { s_host = host; }

 private:
  void Answer(const char* code) const {
    HostLineRecord record{};
    std::snprintf(record.code, sizeof record.code, "%s", code);
    const auto found = m_index.find(code);
    if (found != m_index.end()) {
      std::snprintf(record.name, sizeof record.name, "%s", found->second->name.c_str());
      record.price = found->second->price;
    }
    ScanerSetBarCodeInfo(&record);
  }

  static Host* s_host;
  std::unordered_map<std::string, const zelvane::host::PriceList::Article*> m_index;
};
Host* Host::s_host = nullptr;

// The end of each run: its notice 11.
class RunEnds {
 public:
  static void ZELVANE_CALL OnNotice(int32_t code, const char*, int32_t, int32_t) {
    if (code != 11) return;
    const std::lock_guard<std::mutex> hold(s_lock);
    ++s_ends;
    s_changed.notify_all();
  }
  static int Count() {
    const std::lock_guard<std::mutex> hold(s_lock);
    return s_ends;
  }
  static bool WaitBeyond(int count) {
    std::unique_lock<std::mutex> hold(s_lock);
    return s_changed.wait_for(hold, 10s, [&] { return s_ends > count; });
  }

 private:
  static std::mutex s_lock;
  static std::condition_variable s_changed;
  static int s_ends;
};
std::mutex RunEnds::s_lock;
std::condition_variable RunEnds::s_changed;
int RunEnds::s_ends = 0;

struct Tally {
  std::mutex lock;
  std::vector<double> latencies;  // milliseconds, right answers
  int blank = 0;                  // a cleared display only
  int lost = 0;                   // nothing within the limit
  int closed = 0;                 // the service closed or refused the connection
  int wrong = 0;
  std::string firstWrong;

  void Add(const spr_lan::TerminalLink::Received& answer, const std::string& expected,
           Clock::time_point scanned) {
    const std::lock_guard<std::mutex> hold(lock);
    if (answer.bytes == expected) {
      latencies.push_back(Milliseconds(answer.firstByte - scanned).count());
    } else if (answer.bytes == "\x1B%") {
      ++blank;
    } else if (answer.bytes.empty()) {
      ++(answer.closed ? closed : lost);
    } else {
      if (wrong++ == 0) firstWrong = "expected '" + expected + "', got '" + answer.bytes + "'";
    }
  }
};

enum class Pace { kEveryFewSeconds, kAtOnce };

// One terminal: scans until `end`, one code in ten unknown to the list.
void PlayTerminal(int index, const spr_lan::ListenAddress& service, Pace pace,
                  Clock::time_point end, Tally& tally) {
  spr_lan::TerminalLink link;
  std::string error;
  if (!link.Connect(service, error, TerminalAddress(index))) {
    std::fprintf(stderr, "terminal %d: %s\n", index, error.c_str());
    const std::lock_guard<std::mutex> hold(tally.lock);
    ++tally.closed;
    return;
  }
  std::mt19937 random(static_cast<unsigned>(index) * 7919u + 17u);
  std::uniform_int_distribution<int> articles(0, kArticles - 1);
  std::uniform_int_distribution<int> pauseMs(1000, 3000);
  Clock::time_point next = Clock::now() + std::chrono::milliseconds(pauseMs(random) - 1000);
  for (int scan = 0;; ++scan) {
    if (pace == Pace::kEveryFewSeconds) std::this_thread::sleep_until(next);
    if (Clock::now() >= end) break;
    const bool known = scan % 10 != 9;
    Article article = MakeArticle(articles(random));
    if (!known) article.code = "99" + article.code.substr(2);
    const std::string expected = ExpectedAnswer(known ? &article : nullptr);
    const Clock::time_point scanned = Clock::now();
    if (!link.SendCode(article.code)) {
      const std::lock_guard<std::mutex> hold(tally.lock);
      ++tally.closed;
      break;
    }
    const spr_lan::TerminalLink::Received answer =
        link.Receive(kAnswerLimit, 20ms, expected.size());
    tally.Add(answer, expected, scanned);
    if (answer.closed) break;
    next += std::chrono::milliseconds(pauseMs(random));
  }
}

double Percentile(std::vector<double> values, double share) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  return values[static_cast<std::size_t>(share * static_cast<double>(values.size() - 1))];
}

// The hostile program: keeps kHostileConnections connections from 127.0.0.2 and sends
// garbage lines on all of them as fast as they are taken, connecting again whenever
// the service lets one go. Runs until it is killed.
int PlayHostile(const spr_lan::ListenAddress& service) {
  spr_lan::net::StartSockets();
  std::string garbage;
  for (int i = 0; i < 64; ++i) garbage += "\x01garbage" + std::to_string(i) + "\xFF\r\n";
  std::vector<spr_lan::net::Socket> sockets(kHostileConnections, spr_lan::net::kNoSocket);
  char sink[4096];
  for (;;) {
    for (spr_lan::net::Socket& socket : sockets) {
      std::string error;
      if (socket == spr_lan::net::kNoSocket)
        socket = spr_lan::net::ConnectTo(service, error, kHostileAddress);
      if (socket == spr_lan::net::kNoSocket) continue;
      const long got = spr_lan::net::ReceiveSome(socket, sink, sizeof sink);
      const long sent = spr_lan::net::SendSome(socket, garbage.data(), garbage.size());
      if (got == 0 || got == spr_lan::net::kFailed || sent == spr_lan::net::kFailed) {
        spr_lan::net::CloseSocket(socket);
        socket = spr_lan::net::kNoSocket;
      }
    }
  }
}

pid_t StartHostile(const std::string& service) {
  char program[] = "price_check_benchmark";
  char option[] = "--hostile";
  std::string address = service;
  char* arguments[] = {program, option, address.data(), nullptr};
  pid_t child = 0;
  if (::posix_spawn(&child, "/proc/self/exe", nullptr, nullptr, arguments, environ) != 0) return 0;
  return child;
}

void StopHostile(pid_t child) {
  if (child <= 0) return;
  ::kill(child, SIGKILL);
  ::waitpid(child, nullptr, 0);
}

struct Run {
  const char* title;
  Pace pace;
  int seconds;
  bool hostile;
  std::string allow;  // ZELVANE_PRICECHECK_ALLOW; empty: unset
};

// One run of device 702 with its own terminals; false when a terminal got a wrong
// answer or the run could not be made.
bool RunOnce(const Run& run, const spr_lan::ListenAddress& service) {
  if (run.allow.empty()) {
    ::unsetenv("ZELVANE_PRICECHECK_ALLOW");
  } else {
    ::setenv("ZELVANE_PRICECHECK_ALLOW", run.allow.c_str(), 1);
  }
  const int endsBefore = RunEnds::Count();
  RunRequest request{};
  request.device = 702;
  if (ScanerRun(&request, &Host::OnCode) != 1) {
    std::fprintf(stderr, "%s: the price checker did not start\n", run.title);
    return false;
  }
  const pid_t hostile =
      run.hostile ? StartHostile(service.host + ":" + std::to_string(service.port)) : 0;
  if (run.hostile) std::this_thread::sleep_for(1s);  // the hostile program's connections are up

  Tally tally;
  const double cpuBefore = zelvane::benchmarks::ProcessCpuSeconds();
  const Clock::time_point start = Clock::now();
  const Clock::time_point end = start + std::chrono::seconds(run.seconds);
  std::vector<std::thread> players;
  for (int i = 0; i < kTerminals; ++i) {
    players.emplace_back(PlayTerminal, i, std::cref(service), run.pace, end, std::ref(tally));
  }
  for (std::thread& player : players) player.join();
  const double wall = std::chrono::duration<double>(Clock::now() - start).count();
  const double cpu = zelvane::benchmarks::ProcessCpuSeconds() - cpuBefore;
  StopHostile(hostile);
  ScanerBreakJob();
  if (!RunEnds::WaitBeyond(endsBefore))
    std::fprintf(stderr, "%s: the run did not end\n", run.title);

  const std::size_t answered = tally.latencies.size();
  const double p99 = Percentile(tally.latencies, 0.99);
  std::printf("%s (%.1f s)\n", run.title, wall);
  std::printf(
      "  right answers %zu (%.1f per second); blank %d, none %d, closed by the service %d, "
      "wrong %d\n",
      answered, static_cast<double>(answered) / wall, tally.blank, tally.lost, tally.closed,
      tally.wrong);
  std::printf("  scan to answer: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n",
              Percentile(tally.latencies, 0.5), p99, Percentile(tally.latencies, 1.0));
  std::printf(
      "  processor of the whole process (library, host, %d terminals): %.2f s, %.2f %% of one "
      "core\n",
      kTerminals, cpu, 100.0 * cpu / wall);
  if (run.pace == Pace::kAtOnce) {
    std::printf("  goal: at least 500 answers per second: %s\n",
                static_cast<double>(answered) / wall >= 500.0 ? "met" : "NOT met");
  } else if (run.hostile) {
    std::printf("  goal: p99 under 100 ms and no terminal refused: %s\n",
                p99 < 100.0 && tally.closed == 0 ? "met" : "NOT met");
  } else {
    std::printf("  goal: p99 under 50 ms and under 2 %% of a core: %s\n",
                p99 < 50.0 && 100.0 * cpu / wall < 2.0 ? "met" : "NOT met");
  }
  if (tally.wrong > 0) std::printf("  WRONG ANSWER: %s\n", tally.firstWrong.c_str());
  std::fflush(stdout);
  return tally.wrong == 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--hostile") {
    const auto service = spr_lan::ParseListenAddress(argv[2]);
    return service ? PlayHostile(*service) : 2;
  }
  const int pacedSeconds = argc > 1 ? std::atoi(argv[1]) : 60;
  const int saturatedSeconds = argc > 2 ? std::atoi(argv[2]) : 10;

  const auto parsed = zelvane::host::PriceList::Parse(PriceListCsv());
  if (!std::holds_alternative<zelvane::host::PriceList>(parsed)) {
    std::fprintf(stderr, "price list: %s\n", std::get<std::string>(parsed).c_str());
    return 1;
  }
  Host host(std::get<zelvane::host::PriceList>(parsed));
  Host::Serve(&host);

  std::string error;
  spr_lan::net::StartSockets();
  const spr_lan::net::Socket probe = spr_lan::net::OpenListener({"127.0.0.1", 0}, error);
  const spr_lan::ListenAddress service{"127.0.0.1", spr_lan::net::LocalPort(probe)};
  spr_lan::net::CloseSocket(probe);
  ::setenv("ZELVANE_PRICECHECK_LISTEN", ("127.0.0.1:" + std::to_string(service.port)).c_str(), 1);
  ::unsetenv("ZELVANE_PRICECHECK_PER_ADDRESS");

  std::string terminalsOnly;
  for (int i = 0; i < kTerminals; ++i) terminalsOnly += (i > 0 ? "," : "") + TerminalAddress(i);
  const Run runs[] = {
      {"1. paced: 20 terminals, a scan every 1 to 3 s each", Pace::kEveryFewSeconds, pacedSeconds,
       false, ""},
      {"2. saturated: 20 terminals, each scanning again at its answer", Pace::kAtOnce,
       saturatedSeconds, false, ""},
      {"3. paced, with a hostile program on 127.0.0.2 (100 connections), no allow list",
       Pace::kEveryFewSeconds, pacedSeconds, true, ""},
      {"4. paced, with the hostile program, the allow list naming the 20 terminals",
       Pace::kEveryFewSeconds, pacedSeconds, true, terminalsOnly},
  };
  ZelvaneSetStatusObserver(&RunEnds::OnNotice);
  ScanerCreate(nullptr);
  bool right = true;
  for (const Run& run : runs) right = RunOnce(run, service) && right;
  ScanerDelete();
  ZelvaneSetStatusObserver(nullptr);
  return right ? 0 : 1;
}
