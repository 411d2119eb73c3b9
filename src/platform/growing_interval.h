#pragma once

#include <algorithm>
#include <cstdint>

namespace zelvane::platform {

// The pauses of a check that nothing announces: short at first, so that a state that
// changes soon is seen soon, then longer, so that one that does not costs nothing.
class GrowingInterval {
 public:
  static constexpr std::uint32_t kFirstMs = 1;
  static constexpr std::uint32_t kLongestMs = 100;

  std::uint32_t Next() {
    const std::uint32_t now = m_next;
    m_next = std::min(m_next * 2, kLongestMs);
    return now;
  }

 private:
  std::uint32_t m_next = kFirstMs;
};

}  // namespace zelvane::platform
