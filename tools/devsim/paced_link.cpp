#include "paced_link.h"

#include <algorithm>
#include <thread>

namespace zelvane::devsim {
namespace {

constexpr long long kBitsPerByte = 10;

}  // namespace

PacedLink::PacedLink(DeviceLink& inner, int baud)
    : m_inner(inner),
      m_baud(std::max(baud, 0)),
      m_piece(std::max<std::size_t>(1, static_cast<std::size_t>(m_baud / kBitsPerByte / 1000))),
      m_outputFree(Clock::now()) {}

std::chrono::nanoseconds PacedLink::WireTime(std::size_t bytes, int baud) {
  if (baud <= 0) return std::chrono::nanoseconds(0);
  return std::chrono::nanoseconds(static_cast<long long>(bytes) * kBitsPerByte * 1'000'000'000LL /
                                  baud);
}

bool PacedLink::Write(std::string_view bytes) {
  if (m_baud == 0) return m_inner.Write(bytes);
  // Deadlines follow from one another, not from when each sleep ended, so that late
  // wake-ups do not add up over a long transfer.
  Clock::time_point due = std::max(Clock::now(), m_outputFree);
  for (std::size_t start = 0; start < bytes.size(); start += m_piece) {
    const std::string_view piece = bytes.substr(start, m_piece);
    due += WireTime(piece.size(), m_baud);
    std::this_thread::sleep_until(due);
    if (!m_inner.Write(piece)) return false;
  }
  m_outputFree = due;
  return true;
}

std::string PacedLink::Read(std::size_t count, int timeoutMs) {
  std::string received = m_inner.Read(count, timeoutMs);
  if (m_baud > 0 && !received.empty()) {
    std::this_thread::sleep_for(WireTime(received.size(), m_baud));
  }
  return received;
}

}  // namespace zelvane::devsim
