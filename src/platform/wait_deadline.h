#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/clock.h"
#include "platform/comm.h"

namespace zelvane::platform::comm {

// The time limit of a wait on the monotonic clock, in the milliseconds of the
// communications interface: kInfinite has none. Both backends bound their waits with
// it, so a wait means the same on either.
class Deadline {
 public:
  explicit Deadline(std::uint32_t milliseconds)
      : m_at(milliseconds == kInfinite ? kNever : TickMilliseconds() + milliseconds) {}

  bool Passed() const { return m_at != kNever && TickMilliseconds() >= m_at; }

  // kInfinite without a limit; else what is left, 0 once it has passed.
  std::uint32_t Left() const {
    if (m_at == kNever) return kInfinite;
    const std::uint64_t now = TickMilliseconds();
    return now >= m_at
               ? 0
               : static_cast<std::uint32_t>(std::min<std::uint64_t>(m_at - now, kInfinite - 1));
  }

  // This limit or `milliseconds` from now, whichever comes first.
  Deadline Sooner(std::uint32_t milliseconds) const { return Sooner(Deadline(milliseconds)); }
  Deadline Sooner(const Deadline& other) const { return m_at <= other.m_at ? *this : other; }

 private:
  static constexpr std::uint64_t kNever = UINT64_MAX;
  std::uint64_t m_at;
};

}  // namespace zelvane::platform::comm
