// The exchange between the service's requests, the worker's polls and the host's
// answers, with 20 ms steps instead of 500 ms.
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

// Takes the pending code as the worker does, polling until one waits.
std::string TakeWhenPending(PriceExchange& exchange) {
  for (int i = 0; i < 200; ++i) {
    std::string code = exchange.TakePendingCode();
    if (!code.empty()) return code;
    std::this_thread::sleep_for(2ms);
  }
  return {};
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
  exchange.Offer(MakePriceAnswer("590", "Maslo", 12.5));
  exchange.Offer(MakePriceAnswer("590", "Second offer", 1.0));
  EXPECT_EQ(request.get().text.substr(0, 6), "Maslo\n");
}

TEST(PriceExchange, WaitsRunOutAfterTheirSteps) {
  struct Case {
    const char* what;
    bool previousCodeTaken;
    int steps;
  };
  for (const Case test :
       {Case{"host never answers", true, PriceExchange::kStepsForAnswer},
        Case{"previous code never taken", false, PriceExchange::kStepsForPreviousCode}}) {
    PriceExchange exchange(kStep);
    if (!test.previousCodeTaken) {
      auto first = std::async(std::launch::async, [&] { return exchange.Request("first"); });
      std::this_thread::sleep_for(5ms);
      // The first request gives up waiting for its answer while its code still waits.
      EXPECT_EQ(first.get(), NoAnswerDisplay());
    }
    const auto start = Clock::now();
    auto request = std::async(std::launch::async, [&] { return exchange.Request("second"); });
    if (test.previousCodeTaken) {
      EXPECT_EQ(TakeWhenPending(exchange), "second");
    }
    EXPECT_EQ(request.get(), NoAnswerDisplay()) << test.what;
    const long long took = MillisecondsSince(start);
    EXPECT_GE(took, test.steps * kStep.count() - 5) << test.what;
    EXPECT_LT(took, (test.steps + 5) * kStep.count()) << test.what;
    EXPECT_EQ(exchange.TakePendingCode(), test.previousCodeTaken ? "" : "first") << test.what;
  }
}

TEST(PriceExchange, ConcurrentRequestsAreServedOneAtATime) {
  PriceExchange exchange(kStep);
  auto first = std::async(std::launch::async, [&] { return exchange.Request("A"); });
  auto second = std::async(std::launch::async, [&] { return exchange.Request("B"); });
  for (int i = 0; i < 2; ++i) {
    const std::string code = TakeWhenPending(exchange);
    ASSERT_FALSE(code.empty());
    // Long enough for the other request to place its code, were it not kept waiting.
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

}  // namespace
}  // namespace zelvane
