#include "terminal_device_link.h"

#include <chrono>

namespace zelvane::devsim {

std::string TerminalDeviceLink::Read(std::size_t count, int timeoutMs) {
  if (m_received.empty()) {
    m_received = m_connection.Receive(std::chrono::milliseconds(timeoutMs), {}).bytes;
  }
  std::string bytes = m_received.substr(0, count);
  m_received.erase(0, bytes.size());
  return bytes;
}

}  // namespace zelvane::devsim
