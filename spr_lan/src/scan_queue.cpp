#include "scan_queue.h"

#include <algorithm>

namespace spr_lan {

bool ScanQueue::Push(Scan scan) {
  const std::lock_guard<std::mutex> hold(m_lock);
  const auto fromSameConnection =
      std::count_if(m_scans.begin(), m_scans.end(),
                    [&](const Scan& waiting) { return waiting.connection == scan.connection; });
  if (m_stopped || m_scans.size() >= kTotal ||
      static_cast<std::size_t>(fromSameConnection) >= kPerConnection) {
    return false;
  }
  m_scans.push_back(std::move(scan));
  m_arrived.notify_one();
  return true;
}

std::optional<Scan> ScanQueue::PopWait() {
  std::unique_lock<std::mutex> hold(m_lock);
  m_arrived.wait(hold, [&] { return m_stopped || !m_scans.empty(); });
  if (m_stopped) return std::nullopt;
  Scan scan = std::move(m_scans.front());
  m_scans.pop_front();
  return scan;
}

void ScanQueue::Forget(ConnectionId connection) {
  const std::lock_guard<std::mutex> hold(m_lock);
  std::erase_if(m_scans, [&](const Scan& scan) { return scan.connection == connection; });
}

void ScanQueue::Stop() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_stopped = true;
  m_scans.clear();
  m_arrived.notify_all();
}

void ScanQueue::Restart() {
  const std::lock_guard<std::mutex> hold(m_lock);
  m_stopped = false;
}

}  // namespace spr_lan
