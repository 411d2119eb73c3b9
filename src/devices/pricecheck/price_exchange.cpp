#include "devices/pricecheck/price_exchange.h"

namespace zelvane {

template <typename Condition>
bool PriceExchange::WaitSteps(std::unique_lock<std::mutex>& hold, int steps, Condition condition) {
  const Clock::time_point end = Clock::now() + steps * m_step;
  return m_changed.wait_until(hold, end, [&] { return m_closed || condition(); }) && !m_closed;
}

PriceDisplay PriceExchange::Request(std::string_view code) {
  std::unique_lock<std::mutex> hold(m_lock);
  // One request at a time: a second one would end the first one's wait with an
  // answer meant for neither.
  m_changed.wait(hold, [&] { return m_closed || !m_requestBusy; });
  if (m_closed) return NoAnswerDisplay();
  m_requestBusy = true;

  PriceDisplay display = NoAnswerDisplay();
  if (WaitSteps(hold, kStepsForPreviousCode, [&] { return !m_codePending; })) {
    m_pendingCode.assign(code.substr(0, kMaxCodeLength));
    m_codePending = true;
    m_answerReady = false;
    m_changed.notify_all();
    if (WaitSteps(hold, kStepsForAnswer, [&] { return m_answerReady; })) {
      display = ComposeDisplay(m_answer);
    }
  }
  m_answerReady = true;
  m_requestBusy = false;
  m_changed.notify_all();
  return display;
}

std::string PriceExchange::TakePendingCode() {
  const std::lock_guard<std::mutex> hold(m_lock);
  std::string code;
  if (m_codePending) {
    code.swap(m_pendingCode);
    m_codePending = false;
    m_changed.notify_all();
  }
  return code;
}

void PriceExchange::Offer(const PriceAnswer& answer) {
  const std::lock_guard<std::mutex> hold(m_lock);
  if (m_answerReady) return;
  m_answer = answer;
  m_answerReady = true;
  m_changed.notify_all();
}

void PriceExchange::Open() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_closed = false;
}

void PriceExchange::Close() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_closed = true;
  m_codePending = false;
  m_pendingCode.clear();
  m_changed.notify_all();
}

}  // namespace zelvane
