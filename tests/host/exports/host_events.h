#pragma once

#include <chrono>
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

  // Wait, up to `limit`, until so many codes arrived, or so many notices with this code.
  bool WaitForCodes(std::size_t count, std::chrono::milliseconds limit) const;
  bool WaitForNotice(int code, std::chrono::milliseconds limit, std::size_t count = 1) const;

 private:
  template <typename Condition>
  bool WaitUntil(Condition condition, std::chrono::milliseconds limit) const;

  mutable std::mutex m_lock;
  std::chrono::steady_clock::time_point m_start;
  std::vector<std::string> m_codes;
  std::vector<long long> m_codeTimes;
  std::vector<Notice> m_notices;
  std::vector<std::string> m_messages;
};

}  // namespace zelvane::testing
