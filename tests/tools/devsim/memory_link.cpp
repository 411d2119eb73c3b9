#include "memory_link.h"

#include <algorithm>
#include <chrono>

namespace zelvane::devsim::testing {
namespace {

std::string TakeFront(std::string& bytes, std::size_t count) {
  const std::size_t taken = std::min(count, bytes.size());
  std::string front = bytes.substr(0, taken);
  bytes.erase(0, taken);
  return front;
}

}  // namespace

bool MemoryLink::Write(std::string_view bytes) {
  {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_toPc.append(bytes);
  }
  m_changed.notify_all();
  return true;
}

std::string MemoryLink::Read(std::size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> hold(m_lock);
  m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                     [this] { return !m_toDevice.empty(); });
  return TakeFront(m_toDevice, count);
}

void MemoryLink::PcWrite(std::string_view bytes) {
  {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_toDevice.append(bytes);
  }
  m_changed.notify_all();
}

std::string MemoryLink::PcTake() {
  const std::lock_guard<std::mutex> hold(m_lock);
  return TakeFront(m_toPc, m_toPc.size());
}

std::string MemoryLink::PcRead(std::size_t count, int timeoutMs) {
  std::unique_lock<std::mutex> hold(m_lock);
  m_changed.wait_for(hold, std::chrono::milliseconds(timeoutMs),
                     [this, count] { return m_toPc.size() >= count; });
  return TakeFront(m_toPc, count);
}

}  // namespace zelvane::devsim::testing
