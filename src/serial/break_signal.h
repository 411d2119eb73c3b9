#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/comm.h"

namespace zelvane {

// What wakes the port waits when the host breaks the job: raised from the host's
// thread, it ends the wait in progress at once and every later one until cleared.
// Without a system signal (none could be made), sleeps are cut into short slices so
// that the break flag is still seen within milliseconds.
class BreakSignal {
 public:
  BreakSignal() : m_signal(platform::comm::CreateSignal()) {}
  ~BreakSignal() { platform::comm::DestroySignal(m_signal); }
  BreakSignal(const BreakSignal&) = delete;
  BreakSignal& operator=(const BreakSignal&) = delete;

  void Raise() { platform::comm::RaiseSignal(m_signal); }
  void Clear() { platform::comm::ClearSignal(m_signal); }

  // Sleeps up to `milliseconds` (kInfinite: no limit); true when the signal came.
  bool Sleep(std::uint32_t milliseconds) const {
    return platform::comm::WaitSignal(m_signal, SliceOf(milliseconds));
  }

  // The limit that a wait on the port together with Native() may take.
  std::uint32_t SliceOf(std::uint32_t milliseconds) const {
    return m_signal != nullptr ? milliseconds : std::min(milliseconds, kSliceWithoutSignalMs);
  }

  platform::comm::Signal Native() const { return m_signal; }

 private:
  static constexpr std::uint32_t kSliceWithoutSignalMs = 3;

  platform::comm::Signal m_signal;
};

}  // namespace zelvane
