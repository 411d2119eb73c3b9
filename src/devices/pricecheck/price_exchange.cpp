#include "devices/pricecheck/price_exchange.h"

#include <cstdint>
#include <cstring>

namespace zelvane {
namespace {

std::string_view WithoutSurroundingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

PriceDisplay PriceExchange::Request(std::string_view code) {
  std::unique_lock<std::mutex> hold(m_lock);
  // One request at a time: a second one would end the first one's wait with an
  // answer meant for neither. The turn is bounded, so that a request never waits
  // behind others longer than the terminal waits for it.
  const bool turn = m_changed.wait_until(hold, Clock::now() + kStepsForTurn * m_step,
                                         [&] { return m_closed || m_stage == Stage::kIdle; });
  if (!turn || m_closed) return NoAnswerDisplay();
  const std::uint64_t mine = ++m_request;
  m_code.assign(code.substr(0, kMaxCodeLength));
  m_stage = Stage::kParked;
  m_changed.notify_all();

  // A close ends this request for good, even when the exchange is opened again
  // before this thread wakes up.
  const bool answered = m_changed.wait_until(hold, Clock::now() + kStepsForAnswer * m_step, [&] {
    return m_request != mine || m_stage == Stage::kAnswered;
  });
  if (m_request != mine) return NoAnswerDisplay();
  PriceDisplay display = answered ? ComposeDisplay(m_answer) : NoAnswerDisplay();
  // Answered or not, the request is over: a code still parked is taken back, and an
  // answer that comes later finds nobody to take it.
  EndRequest();
  return display;
}

void PriceExchange::EndRequest() {
  ++m_request;
  m_stage = Stage::kIdle;
  m_code.clear();
  m_changed.notify_all();
}

bool PriceExchange::WaitForCode(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> hold(m_lock);
  // A closed exchange parks nothing: its wait lasts the whole limit, never a spin.
  m_changed.wait_for(hold, limit, [&] { return m_waitInterrupted || m_stage == Stage::kParked; });
  m_waitInterrupted = false;
  return m_stage == Stage::kParked && !m_closed;
}

void PriceExchange::InterruptWait() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_waitInterrupted = true;
  m_changed.notify_all();
}

std::string PriceExchange::TakePendingCode() {
  const std::lock_guard<std::mutex> hold(m_lock);
  if (m_closed || m_stage != Stage::kParked) return {};
  m_stage = Stage::kHandedOut;
  return m_code;
}

bool PriceExchange::AnswersTheRequest(const PriceAnswer& answer) const {
  if (m_stage != Stage::kHandedOut) return false;
  // Hosts that do not echo the code leave it empty; their answer is taken for the
  // code they were given.
  const std::string_view answered =
      WithoutSurroundingSpaces({answer.code, ::strnlen(answer.code, PriceAnswer::kCodeSize)});
  return answered.empty() || answered == WithoutSurroundingSpaces(m_code);
}

void PriceExchange::Offer(const PriceAnswer& answer) {
  const std::lock_guard<std::mutex> hold(m_lock);
  if (m_closed || !AnswersTheRequest(answer)) return;
  m_answer = answer;
  m_stage = Stage::kAnswered;
  m_changed.notify_all();
}

void PriceExchange::Open() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_closed = false;
  m_waitInterrupted = false;
}

void PriceExchange::Close() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_closed = true;
  // An answer that came before the close is still shown; its request ends itself.
  if (m_stage != Stage::kAnswered) EndRequest();
}

}  // namespace zelvane
