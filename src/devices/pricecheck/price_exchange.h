#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

#include "devices/pricecheck/price_display.h"

namespace zelvane {

// Where a scanned code meets the host's answer. Three threads use it: the service
// asks (Request, on its own thread), the job's worker takes the parked code and hands
// it to the host, and the host's thread offers the answer. Requests are served one at
// a time, and an answer is taken only for the code it names (or for the code handed
// out, when it names none), so an answer never reaches a terminal that scanned
// another code.
//
// A request waits at most three steps for its turn and then ten steps for the host's
// answer (a step is 500 ms in the library); it ends as soon as what it waits for
// happens, or at once when the exchange is closed. A request that gives up takes its
// code back, so the host is never asked about a scan nobody waits for.
class PriceExchange {
 public:
  static constexpr int kMaxCodeLength = 20;
  static constexpr int kStepsForTurn = 3;
  static constexpr int kStepsForAnswer = 10;

  explicit PriceExchange(std::chrono::milliseconds step = std::chrono::milliseconds(500))
      : m_step(step) {}
  PriceExchange(const PriceExchange&) = delete;
  PriceExchange& operator=(const PriceExchange&) = delete;

  // The service's request for a scanned code (cut to 20 bytes); blocks until the
  // host answered, a wait ran out or the exchange was closed.
  PriceDisplay Request(std::string_view code);

  // The worker's wait before a poll: until a code is parked or the wait is
  // interrupted, at most `limit`. True when a code waits to be taken.
  bool WaitForCode(std::chrono::milliseconds limit);
  // Ends the worker's wait at once (the job was broken); a wait that starts later
  // ends at once too, one time.
  void InterruptWait();

  // The worker's poll: the parked code, now handed to the host (empty when none waits).
  std::string TakePendingCode();

  // The host's answer. Kept only while the host holds the waiting request's code, and
  // only when the answer's code (without surrounding spaces) is that code or empty;
  // any other answer is dropped.
  void Offer(const PriceAnswer& answer);

  // Closing ends every wait at once (its request gets no answer), drops the parked
  // code and refuses requests until the exchange is opened again.
  void Open();
  void Close();

 private:
  using Clock = std::chrono::steady_clock;

  // Where the request being served stands.
  enum class Stage {
    kIdle,       // no request is served
    kParked,     // its code waits for the worker
    kHandedOut,  // the host has the code; its answer is awaited
    kAnswered,
  };

  bool AnswersTheRequest(const PriceAnswer& answer) const;
  // Ends the request being served, if any, and makes way for the next.
  void EndRequest();

  const std::chrono::milliseconds m_step;
  std::mutex m_lock;
  std::condition_variable m_changed;
  bool m_closed = false;
  bool m_waitInterrupted = false;
  Stage m_stage = Stage::kIdle;
  // Counts the requests served and ended, so that a request knows whether it is
  // still the one being served.
  std::uint64_t m_request = 0;
  // The code of the request being served, as scanned (cut to 20 bytes).
  std::string m_code;
  PriceAnswer m_answer;
};

}  // namespace zelvane
