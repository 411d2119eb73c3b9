#include "scan_queue.h"

#include <algorithm>
#include <utility>

namespace spr_lan {

std::optional<Scan> ScanQueue::Push(Scan scan) {
  const std::lock_guard<std::mutex> hold(m_lock);
  if (m_stopped) return scan;
  std::optional<Scan> replaced;
  const auto [place, added] = m_waiting.try_emplace(scan.connection, scan);
  if (!added) replaced = std::exchange(place->second, std::move(scan));
  m_arrived.notify_one();
  return replaced;
}

std::optional<Scan> ScanQueue::PopWait() {
  std::unique_lock<std::mutex> hold(m_lock);
  m_arrived.wait(hold, [&] { return m_stopped || !m_waiting.empty(); });
  if (m_stopped) return std::nullopt;
  auto next = m_waiting.upper_bound(m_servedLast);
  if (next == m_waiting.end()) next = m_waiting.begin();
  m_servedLast = next->first;
  Scan scan = std::move(next->second);
  m_waiting.erase(next);
  return scan;
}

std::vector<Scan> ScanQueue::TakeExpired(Clock::time_point now) {
  const std::lock_guard<std::mutex> hold(m_lock);
  std::vector<Scan> expired;
  for (auto waiting = m_waiting.begin(); waiting != m_waiting.end();) {
    if (IsPastItsTurn(waiting->second, now)) {
      expired.push_back(std::move(waiting->second));
      waiting = m_waiting.erase(waiting);
    } else {
      ++waiting;
    }
  }
  return expired;
}

std::optional<Clock::time_point> ScanQueue::NextExpiry() const {
  const std::lock_guard<std::mutex> hold(m_lock);
  const auto oldest =
      std::min_element(m_waiting.begin(), m_waiting.end(), [](const auto& left, const auto& right) {
        return left.second.arrived < right.second.arrived;
      });
  if (oldest == m_waiting.end()) return std::nullopt;
  return oldest->second.arrived + kTurnLimit;
}

void ScanQueue::Forget(ConnectionId connection) {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_waiting.erase(connection);
}

std::vector<Scan> ScanQueue::Stop() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_stopped = true;
  std::vector<Scan> waiting;
  for (auto& [connection, scan] : m_waiting) waiting.push_back(std::move(scan));
  m_waiting.clear();
  m_arrived.notify_all();
  return waiting;
}

void ScanQueue::Restart() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_stopped = false;
}

bool IsPastItsTurn(const Scan& scan, Clock::time_point now) {
  return now - scan.arrived >= ScanQueue::kTurnLimit;
}

}  // namespace spr_lan
