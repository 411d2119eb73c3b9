#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace zelvane::testing {

// Records the texts of the library's message boxes while it lives, instead of showing
// them (on Windows the default would be a real MessageBoxA that blocks under Wine).
// Message boxes come from the thread under test, so there is no lock.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  MessageRecorder(const MessageRecorder&) = delete;
  MessageRecorder& operator=(const MessageRecorder&) = delete;

  const std::vector<std::string>& Texts() const;
  void Clear();
};

// Calls `action` on another thread after `delayMs` (platform threads: the Windows
// build has no std::thread). The destructor waits until the call has happened.
class DelayedCall {
 public:
  DelayedCall(unsigned delayMs, std::function<void()> action);
  ~DelayedCall();
  DelayedCall(const DelayedCall&) = delete;
  DelayedCall& operator=(const DelayedCall&) = delete;

  bool Started() const { return m_started; }
  // Waits (sleeping) until the call is done; false after `limitMs`.
  bool Wait(unsigned limitMs = 10000) const;
  // The process clock (platform::TickMilliseconds) right after the action returned.
  std::uint64_t DoneAtMs() const { return m_doneAt.load(); }

 private:
  static unsigned Run(void* self);

  unsigned m_delayMs;
  std::function<void()> m_action;
  std::atomic<bool> m_done{false};
  std::atomic<std::uint64_t> m_doneAt{0};
  bool m_started = false;
};

}  // namespace zelvane::testing
