#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>

#include "devices/pricecheck/price_display.h"

namespace zelvane {

// Where a scanned code meets the host's answer. Three threads use it: the service
// asks (Request, on its own thread), the job's worker takes the pending code (one
// poll every 500 ms) and the host's thread offers the answer. Requests are served one
// at a time, so an answer always goes to the request that waits for it.
//
// A request waits at most three steps for the previous code to be taken and ten
// steps for the host's answer (a step is 500 ms in the library); it ends as soon as
// what it waits for happens, or at once when the exchange is closed.
class PriceExchange {
 public:
  static constexpr int kMaxCodeLength = 20;
  static constexpr int kStepsForPreviousCode = 3;
  static constexpr int kStepsForAnswer = 10;

  explicit PriceExchange(std::chrono::milliseconds step = std::chrono::milliseconds(500))
      : m_step(step) {}
  PriceExchange(const PriceExchange&) = delete;
  PriceExchange& operator=(const PriceExchange&) = delete;

  // The service's request for a scanned code (cut to 20 bytes); blocks until the
  // host answered, the waits ran out or the exchange was closed.
  PriceDisplay Request(std::string_view code);

  // The worker's poll: the pending code, if one waits to be taken (empty otherwise).
  std::string TakePendingCode();

  // The host's answer; kept only while a request waits for one, else dropped.
  void Offer(const PriceAnswer& answer);

  // Closing ends every wait at once (its request gets no answer), drops the pending
  // code and refuses requests until the exchange is opened again.
  void Open();
  void Close();

 private:
  using Clock = std::chrono::steady_clock;
  template <typename Condition>
  bool WaitSteps(std::unique_lock<std::mutex>& hold, int steps, Condition condition);

  const std::chrono::milliseconds m_step;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_closed = false;
  bool m_requestBusy = false;
  bool m_codePending = false;
  std::string m_pendingCode;
  bool m_answerReady = true;
  PriceAnswer m_answer;
};

// The library's one exchange, shared by the price-checker job and the service's
// callback.
PriceExchange& ThePriceExchange();

}  // namespace zelvane
