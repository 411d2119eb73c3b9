// The exchange between the service's requests, the worker's polls and the host's
// answers, with 20 ms steps instead of 500 ms where a wait has to run out.
#include "devices/pricecheck/price_exchange.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kStep = 20ms;
// Far beyond any wait of the exchange: a future not ready by then hangs.
constexpr auto kHangs = 30s;

// Takes the parked code as the worker does: waits for it, then takes it.
std::string TakeWhenPending(PriceExchange& exchange) {
  exchange.WaitForCode(10s);
  return exchange.TakePendingCode();
}

long long MillisecondsSince(Clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

TEST(PriceExchange, AnsweredRequestShowsTheHostsAnswerAndDropsUnaskedOnes) {
  PriceExchange exchange(kStep);
  // Nobody asks yet: the offer is dropped.
  exchange.Offer(MakePriceAnswer("1", "Stale", 1.0));
  EXPECT_EQ(exchange.TakePendingCode(), "");

  auto request =
      std::async(std::launch::async, [&] { return exchange.Request("5901234567890123456789"); });
  EXPECT_EQ(TakeWhenPending(exchange), "59012345678901234567") << "cut to 20";
  EXPECT_EQ(exchange.TakePendingCode(), "") << "taken once";
  exchange.Offer(MakePriceAnswer("59012345678901234567", "Maslo", 12.5));
  exchange.Offer(MakePriceAnswer("59012345678901234567", "Second offer", 1.0));
  EXPECT_EQ(request.get().text.substr(0, 6), "Maslo\n");
}

// An answer is shown only on the terminal whose code it answers: the host must hold
// the code (the worker took it), and the answer must name that code or none.
TEST(PriceExchange, AnswerIsTakenOnlyForTheCodeItAnswers) {
  struct Case {
    const char* what;
    const char* scanned;
    const char* answered;
    bool beforeTheHostHasTheCode;
    bool shown;
  };
  const std::vector<Case> cases = {
      {"the code given", "5901", "5901", false, true},
      {"spaces around either code", " 5901", "5901  ", false, true},
      {"no code (a host that does not echo it)", "5901", "", false, true},
      {"only spaces", "5901", "   ", false, true},
      {"another code", "5901", "5902", false, false},
      {"a part of the code", "5901", "590", false, false},
      {"a host that answers a code it was not given yet", "5901", "5901", true, false},
  };
  for (const Case& test : cases) {
    PriceExchange exchange;
    auto request = std::async(std::launch::async, [&] { return exchange.Request(test.scanned); });
    ASSERT_TRUE(exchange.WaitForCode(10s)) << test.what;
    const PriceAnswer answer = MakePriceAnswer(test.answered, "Kawa", 12.5);
    if (test.beforeTheHostHasTheCode) exchange.Offer(answer);
    EXPECT_EQ(exchange.TakePendingCode(), test.scanned) << test.what;
    if (!test.beforeTheHostHasTheCode) exchange.Offer(answer);
    // A dropped answer leaves the request waiting; the close ends it with no answer.
    if (!test.shown) exchange.Close();
    EXPECT_EQ(request.get(), test.shown ? ComposeDisplay(answer) : NoAnswerDisplay()) << test.what;
  }

  // A slow host: its answer to the first code comes after that request gave up, while
  // the next terminal's code waits. It is dropped; the next answer is the right one.
  PriceExchange exchange(kStep);
  auto first = std::async(std::launch::async, [&] { return exchange.Request("A"); });
  ASSERT_EQ(TakeWhenPending(exchange), "A");
  EXPECT_EQ(first.get(), NoAnswerDisplay());
  auto second = std::async(std::launch::async, [&] { return exchange.Request("B"); });
  ASSERT_EQ(TakeWhenPending(exchange), "B");
  exchange.Offer(MakePriceAnswer("A", "Article A", 1.0));
  exchange.Offer(MakePriceAnswer("B", "Article B", 2.0));
  EXPECT_EQ(second.get(), ComposeDisplay(MakePriceAnswer("B", "Article B", 2.0)));
}

TEST(PriceExchange, WaitsRunOutAfterTheirSteps) {
  // Steps long enough that a thread started late on a loaded machine (ThreadSanitizer
  // on two busy cores was seen 440 ms late) stays within the five steps' slack, and
  // short enough that a wait of turn and answer together would exceed it.
  constexpr auto kWaitStep = 200ms;
  struct Case {
    const char* what;
    bool turnTaken;  // false: another request holds the turn all along
    int steps;
  };
  for (const Case test : {Case{"host never answers", true, PriceExchange::kStepsForAnswer},
                          Case{"turn never comes", false, PriceExchange::kStepsForTurn}}) {
    PriceExchange exchange(kWaitStep);
    std::future<PriceDisplay> holder;
    if (!test.turnTaken) {
      holder = std::async(std::launch::async, [&] { return exchange.Request("first"); });
      ASSERT_TRUE(exchange.WaitForCode(10s));
    }
    const auto start = Clock::now();
    auto request = std::async(std::launch::async, [&] { return exchange.Request("second"); });
    if (test.turnTaken) {
      EXPECT_EQ(TakeWhenPending(exchange), "second");
    }
    EXPECT_EQ(request.get(), NoAnswerDisplay()) << test.what;
    const long long took = MillisecondsSince(start);
    EXPECT_GE(took, test.steps * kWaitStep.count() - 5) << test.what;
    EXPECT_LT(took, (test.steps + 5) * kWaitStep.count()) << test.what;
    if (!test.turnTaken) {
      EXPECT_EQ(holder.get(), NoAnswerDisplay());
      EXPECT_EQ(exchange.TakePendingCode(), "") << "a request that gave up took its code back";
    }
  }
}

TEST(PriceExchange, ConcurrentRequestsAreServedOneAtATime) {
  PriceExchange exchange;
  auto first = std::async(std::launch::async, [&] { return exchange.Request("A"); });
  auto second = std::async(std::launch::async, [&] { return exchange.Request("B"); });
  for (int i = 0; i < 2; ++i) {
    const std::string code = TakeWhenPending(exchange);
    ASSERT_FALSE(code.empty());
    // Long enough for the other request to park its code, were it not kept waiting.
    std::this_thread::sleep_for(2 * kStep);
    EXPECT_EQ(exchange.TakePendingCode(), "") << "the other request waits its turn";
    exchange.Offer(MakePriceAnswer(code, "Name" + code, 1.0));
  }
  EXPECT_EQ(first.get().text.substr(0, 6), "NameA\n");
  EXPECT_EQ(second.get().text.substr(0, 6), "NameB\n");
}

TEST(PriceExchange, CloseEndsTheWaitAtOnceAndRefusesUntilOpened) {
  PriceExchange exchange(std::chrono::milliseconds(500));
  auto request = std::async(std::launch::async, [&] { return exchange.Request("123"); });
  ASSERT_EQ(TakeWhenPending(exchange), "123");
  const auto start = Clock::now();
  exchange.Close();
  EXPECT_EQ(request.get(), NoAnswerDisplay());
  EXPECT_LT(MillisecondsSince(start), 200);
  EXPECT_EQ(exchange.Request("456"), NoAnswerDisplay());
  EXPECT_EQ(exchange.TakePendingCode(), "") << "a closed exchange takes no code";

  exchange.Open();
  auto reopened = std::async(std::launch::async, [&] { return exchange.Request("789"); });
  EXPECT_EQ(TakeWhenPending(exchange), "789");
  exchange.Offer(MakePriceAnswer("789", "", 0.0));
  EXPECT_EQ(reopened.get().kind, PriceDisplay::kUnknownCode);
}

TEST(PriceExchange, WorkersWaitEndsWhenACodeIsParkedOrTheWaitIsInterrupted) {
  PriceExchange exchange;
  auto interrupted = std::async(std::launch::async, [&] { return exchange.WaitForCode(1h); });
  exchange.InterruptWait();
  ASSERT_EQ(interrupted.wait_for(kHangs), std::future_status::ready);
  EXPECT_FALSE(interrupted.get());

  auto parked = std::async(std::launch::async, [&] { return exchange.WaitForCode(1h); });
  auto request = std::async(std::launch::async, [&] { return exchange.Request("1"); });
  ASSERT_EQ(parked.wait_for(kHangs), std::future_status::ready);
  EXPECT_TRUE(parked.get());
  exchange.Close();
  EXPECT_EQ(request.get(), NoAnswerDisplay());
}

}  // namespace
}  // namespace zelvane
