// The service's parts that need no network: line splitting, the display commands, the
// listening address, the queue of scans and the terminal's screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "line_splitter.h"
#include "listen_address.h"
#include "scan_queue.h"
#include "terminal_answer.h"
#include "terminal_link.h"

namespace spr_lan {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

TEST(LineSplitter, CutsCodesAtLineFeedsWithinBoundedLines) {
  struct Case {
    const char* what;
    std::vector<std::string> feeds;
    Lines expected;
  };
  const std::vector<Case> cases = {
      {"CR LF and LF alone", {"123\r\n456\n"}, {"123", "456"}},
      {"split across reads", {"12", "3\r", "\n4", "5\n"}, {"123", "45"}},
      {"empty lines are no scans", {"\n\r\n\n7\n"}, {"7"}},
      {"no LF, no scan", {"999\r"}, {}},
      {"control and NUL bytes left out",
       {std::string("1\x00"
                    "2\x1B"
                    "3\x7F\n",
                    7)},
       {"123"}},
      {"a megabyte line keeps its first 64 bytes",
       {std::string(1 << 20, 'a'), "\nB\n"},
       {std::string(LineSplitter::kMaxLineLength, 'a'), "B"}},
      {"bytes above 127 pass", {"\xA5\xB9\n"}, {"\xA5\xB9"}},
  };
  for (const Case& test : cases) {
    LineSplitter splitter;
    Lines lines;
    for (const std::string& feed : test.feeds) {
      for (std::string& line : splitter.Feed(feed)) lines.push_back(std::move(line));
    }
    EXPECT_EQ(lines, test.expected) << test.what;
  }
}

TEST(TerminalAnswer, ShowsTheDisplayTextOnTwoLines) {
  const std::string price = "CENA         12.50z\x88";
  struct Case {
    const char* what;
    std::int32_t kind;
    std::string display;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"short name", 1, "Kawa\n" + price, "\x1B%Kawa\r" + price},
      {"20-character name", 1, "ABCDEFGHIJKLMNOPQRST" + price,
       "\x1B%ABCDEFGHIJKLMNOPQRST\r" + price},
      {"code not found", 2, "NIE ZNALEZIONO KODU\n", "\x1B%NIE ZNALEZIONO KODU"},
      {"no answer", 0, "ignored", "\x1B%"},
      {"kind 1, empty text", 1, "", "\x1B%"},
      {"control bytes become spaces", 1, "A\x1B%B\nC\rD", "\x1B%A %B\rC D"},
      {"beyond 40 bytes and after a NUL nothing", 1, std::string(50, 'x'),
       "\x1B%" + std::string(20, 'x') + "\r" + std::string(20, 'x')},
      {"text ends at its NUL", 1, std::string("AB\0CD", 5), "\x1B%AB"},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(ComposeTerminalAnswer(test.kind, test.display), test.expected) << test.what;
  }
}

TEST(TerminalScreen, FollowsTheDisplayCommands) {
  EXPECT_EQ(ScreenLines("\x1B%Kawa\rCENA 1"), (Lines{"Kawa", "CENA 1"}));
  EXPECT_EQ(ScreenLines("old\x1B%new"), (Lines{"new"}));
  EXPECT_EQ(ScreenLines("\x1B%"), Lines{});
  EXPECT_EQ(ScreenLines("\x1B%NIE ZNALEZIONO KODU"), (Lines{"NIE ZNALEZIONO KODU"}));
}

TEST(ListenAddress, ReadsHostAndPort) {
  struct Case {
    const char* text;
    std::optional<ListenAddress> expected;
  };
  const std::vector<Case> cases = {
      {"", ListenAddress{"0.0.0.0", 9101}},
      {"127.0.0.1:9200", ListenAddress{"127.0.0.1", 9200}},
      {"localhost:0", ListenAddress{"localhost", 0}},
      {"127.0.0.1", std::nullopt},
      {":9101", std::nullopt},
      {"127.0.0.1:", std::nullopt},
      {"127.0.0.1:65536", std::nullopt},
      {"127.0.0.1:91x", std::nullopt},
      {"127.0.0.1:-1", std::nullopt},
  };
  for (const Case& test : cases)
    EXPECT_EQ(ParseListenAddress(test.text), test.expected) << test.text;
}

// Fairness: the connections take turns after the one served last, each with only its
// newest scan waiting. A step pushes a scan (and names the scan it replaced, if any)
// or takes the next one (and names it).
TEST(ScanQueue, ServesConnectionsInTurnKeepingOnlyTheNewestScanOfEach) {
  struct Step {
    ConnectionId push;  // 0: take the next scan instead
    const char* code;
    const char* expected;  // the scan replaced, or the scan taken; "" for none
  };
  struct Case {
    const char* what;
    std::vector<Step> steps;
  };
  const std::vector<Case> cases = {
      {"a newer scan replaces the waiting one",
       {{1, "a", ""}, {2, "b", ""}, {1, "c", "a"}, {0, "", "c"}, {0, "", "b"}}},
      {"turns go round in the order of the connections, after the one served last",
       {{3, "x", ""},
        {1, "y", ""},
        {2, "z", ""},
        {0, "", "y"},
        {1, "y2", ""},
        {0, "", "z"},
        {0, "", "x"},
        {0, "", "y2"}}},
      {"a client scanning without end delays another terminal by one answer at most",
       {{1, "f1", ""},
        {0, "", "f1"},
        {1, "f2", ""},
        {1, "f3", "f2"},
        {2, "b", ""},
        {1, "f4", "f3"},
        {0, "", "b"},
        {0, "", "f4"}}},
  };
  for (const Case& test : cases) {
    ScanQueue queue;
    for (const Step& step : test.steps) {
      if (step.push != 0) {
        const std::optional<Scan> replaced = queue.Push({step.push, step.code, Clock::now()});
        EXPECT_EQ(replaced ? replaced->code : "", step.expected) << test.what << ", " << step.code;
      } else {
        const std::optional<Scan> taken = queue.PopWait();
        ASSERT_TRUE(taken.has_value()) << test.what;
        EXPECT_EQ(taken->code, step.expected) << test.what;
      }
    }
  }

  // A scan waits its turn 1.5 s at most; a connection that went away leaves nothing;
  // the stop takes out what waits and ends every wait.
  ScanQueue queue;
  const Clock::time_point start = Clock::now();
  EXPECT_EQ(queue.NextExpiry(), std::nullopt);
  queue.Push({1, "old", start});
  queue.Push({2, "new", start + 1s});
  queue.Push({3, "gone", start});
  queue.Forget(3);
  EXPECT_EQ(queue.NextExpiry(), start + ScanQueue::kTurnLimit);
  EXPECT_TRUE(queue.TakeExpired(start + ScanQueue::kTurnLimit - 1ms).empty());
  EXPECT_EQ(queue.TakeExpired(start + ScanQueue::kTurnLimit),
            (std::vector<Scan>{{1, "old", start}}));
  EXPECT_TRUE(IsPastItsTurn({2, "new", start + 1s}, start + 1s + ScanQueue::kTurnLimit));
  EXPECT_FALSE(IsPastItsTurn({2, "new", start + 1s}, start + 2s));
  EXPECT_EQ(queue.Stop(), (std::vector<Scan>{{2, "new", start + 1s}}));
  EXPECT_EQ(queue.PopWait(), std::nullopt);
  EXPECT_EQ(queue.Push({1, "after stop", start}), (Scan{1, "after stop", start}))
      << "a stopped queue gives the scan back";
  queue.Restart();
  EXPECT_EQ(queue.Push({1, "again", start}), std::nullopt);
  EXPECT_EQ(queue.PopWait(), (Scan{1, "again", start}));
}

}  // namespace
}  // namespace spr_lan
