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

TEST(ScanQueue, KeepsArrivalOrderWithinItsLimits) {
  ScanQueue queue;
  EXPECT_TRUE(queue.Push({1, "a"}));
  EXPECT_TRUE(queue.Push({2, "b"}));
  EXPECT_TRUE(queue.Push({1, "c"}));
  EXPECT_FALSE(queue.Push({1, "d"})) << "a third waiting scan of one connection";
  EXPECT_TRUE(queue.Push({3, "e"}));
  queue.Forget(2);
  EXPECT_EQ(queue.PopWait(), (Scan{1, "a"}));
  EXPECT_EQ(queue.PopWait(), (Scan{1, "c"}));
  EXPECT_EQ(queue.PopWait(), (Scan{3, "e"}));

  for (ConnectionId id = 0; id < ScanQueue::kTotal; ++id) ASSERT_TRUE(queue.Push({id, "x"}));
  EXPECT_FALSE(queue.Push({ScanQueue::kTotal, "x"})) << "the whole queue is full";

  queue.Stop();
  EXPECT_EQ(queue.PopWait(), std::nullopt);
  EXPECT_FALSE(queue.Push({1, "after stop"}));
  queue.Restart();
  EXPECT_TRUE(queue.Push({1, "again"}));
  EXPECT_EQ(queue.PopWait(), (Scan{1, "again"})) << "what waited at the stop was dropped";
}

}  // namespace
}  // namespace spr_lan
