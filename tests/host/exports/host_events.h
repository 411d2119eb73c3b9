#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "zelvane.h"

namespace zelvane::testing {

// What the library handed to the host's callbacks and message handler, in arrival
// order. The callbacks run on the library's worker thread while the test waits on its
// own.
class HostEvents {
 public:
  struct Notice {
    int code;
    std::string text;
    int first;
    int second;
    bool operator==(const Notice&) const = default;
  };

  HostEvents();
  ~HostEvents();
  HostEvents(const HostEvents&) = delete;
  HostEvents& operator=(const HostEvents&) = delete;

  static void ZELVANE_CALL OnCode(const char* code);
  static void ZELVANE_CALL OnNotice(int32_t code, const char* text, int32_t first, int32_t second);
  // The library's message boxes, recorded instead of shown.
  static void ZELVANE_CALL OnMessage(const char* text);

  std::vector<std::string> Codes() const;
  std::vector<Notice> Notices() const;
  std::vector<int> NoticeCodes() const;
  std::vector<std::string> Messages() const;
  // Milliseconds between the start of the recording and each code's arrival.
  std::vector<long long> CodeTimes() const;

  // How many notices arrived so far: the position from which a run's own notices count.
  std::size_t NoticeCount() const;

  // Wait, up to `limit`, until so many codes arrived, or so many notices with this code
  // at or after position `from`.
  bool WaitForCodes(std::size_t count, std::chrono::milliseconds limit) const;
  bool WaitForNotice(int code, std::chrono::milliseconds limit, std::size_t count = 1,
                     std::size_t from = 0) const;

 private:
  template <typename Condition>
  bool WaitUntil(Condition condition, std::chrono::milliseconds limit) const;

  // Held by the callbacks while they record, and by the constructor and destructor
  // while they make this recording the one that the callbacks reach.
  static std::mutex s_currentLock;
  static HostEvents* s_current;

  mutable std::mutex m_lock;
  std::chrono::steady_clock::time_point m_start;
  std::vector<std::string> m_codes;
  std::vector<long long> m_codeTimes;
  std::vector<Notice> m_notices;
  std::vector<std::string> m_messages;
};

// How long a broken run may take to close before its test fails: far more than a
// break needs, so that it holds on a busy machine and under the sanitizers.
inline constexpr std::chrono::seconds kRunEndLimit{10};

// The runs that one test started. A run's end is the first notice 11 after the
// notices that were there when it started, so a test waits for its own runs and never
// takes another run's close for theirs.
class StartedRuns {
 public:
  explicit StartedRuns(const HostEvents& events) : m_events(events) {}

  // Calls `start` (ScanerRun or ZelvaneRunCollector, returning 1 when a worker runs)
  // and counts the run it started. A start that answers 1 for the job already running
  // starts nothing: a new run is known by its notice 1, sent before the start returns.
  template <typename Start>
  int32_t Count(Start start) {
    const std::size_t before = m_events.NoticeCount();
    const int32_t started = start();
    if (started == 1 && m_events.WaitForNotice(1, std::chrono::milliseconds(0), 1, before)) {
      if (m_pending == 0) m_from = before;
      ++m_pending;
    }
    return started;
  }

  // Waits, up to `limit`, until every counted run has sent its notice 11.
  bool WaitForEnds(std::chrono::milliseconds limit);
  // Breaks the job and waits for the ends; the milliseconds that took, or -1 when a run
  // did not end within `limit`.
  long long BreakAndWait(std::chrono::milliseconds limit);
  bool AnyPending() const { return m_pending > 0; }

 private:
  const HostEvents& m_events;
  std::size_t m_from = 0;     // notices before the oldest run not seen ending
  std::size_t m_pending = 0;  // runs counted since then
};

}  // namespace zelvane::testing
