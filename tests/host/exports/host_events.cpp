#include "host/exports/host_events.h"

#include <thread>

namespace zelvane::testing {

std::mutex HostEvents::s_currentLock;
HostEvents* HostEvents::s_current = nullptr;

HostEvents::HostEvents() : m_start(std::chrono::steady_clock::now()) {
  {
    const std::lock_guard<std::mutex> hold(s_currentLock);
    s_current = this;
  }
  ZelvaneSetStatusObserver(&HostEvents::OnNotice);
  ZelvaneSetMessageHandler(&HostEvents::OnMessage);
}

HostEvents::~HostEvents() {
  ZelvaneSetMessageHandler(nullptr);
  ZelvaneSetStatusObserver(nullptr);
  // A callback of a run that outlived its test may still be recording.
  const std::lock_guard<std::mutex> hold(s_currentLock);
  s_current = nullptr;
}

void ZELVANE_CALL HostEvents::OnCode(const char* code) {
  const auto now = std::chrono::steady_clock::now();
  const std::lock_guard<std::mutex> current(s_currentLock);
  if (s_current == nullptr) return;
  const std::lock_guard<std::mutex> hold(s_current->m_lock);
  s_current->m_codes.emplace_back(code);
  s_current->m_codeTimes.push_back(
      std::chrono::duration_cast<std::chrono::milliseconds>(now - s_current->m_start).count());
}

void ZELVANE_CALL HostEvents::OnNotice(int32_t code, const char* text, int32_t first,
                                       int32_t second) {
  const std::lock_guard<std::mutex> current(s_currentLock);
  if (s_current == nullptr) return;
  const std::lock_guard<std::mutex> hold(s_current->m_lock);
  s_current->m_notices.push_back({code, text, first, second});
}

void ZELVANE_CALL HostEvents::OnMessage(const char* text) {
  const std::lock_guard<std::mutex> current(s_currentLock);
  if (s_current == nullptr) return;
  const std::lock_guard<std::mutex> hold(s_current->m_lock);
  s_current->m_messages.emplace_back(text);
}

std::size_t HostEvents::NoticeCount() const {
  const std::lock_guard<std::mutex> hold(m_lock);
  return m_notices.size();
}

std::vector<std::string> HostEvents::Messages() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_messages;
}

std::vector<std::string> HostEvents::Codes() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_codes;
}

std::vector<long long> HostEvents::CodeTimes() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_codeTimes;
}

std::vector<HostEvents::Notice> HostEvents::Notices() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_notices;
}

std::vector<int> HostEvents::NoticeCodes() const {
  std::vector<int> codes;
  for (const Notice& notice : Notices()) codes.push_back(notice.code);
  return codes;
}

template <typename Condition>
bool HostEvents::WaitUntil(Condition condition, std::chrono::milliseconds limit) const {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    {
      std::lock_guard<std::mutex> hold(m_lock);
      if (condition()) return true;
    }
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

bool HostEvents::WaitForCodes(std::size_t count, std::chrono::milliseconds limit) const {
  return WaitUntil([&] { return m_codes.size() >= count; }, limit);
}

bool HostEvents::WaitForNotice(int code, std::chrono::milliseconds limit, std::size_t count,
                               std::size_t from) const {
  return WaitUntil(
      [&] {
        std::size_t seen = 0;
        for (std::size_t i = from; i < m_notices.size(); ++i) {
          if (m_notices[i].code == code) ++seen;
        }
        return seen >= count;
      },
      limit);
}

bool StartedRuns::WaitForEnds(std::chrono::milliseconds limit) {
  if (m_pending == 0) return true;
  if (!m_events.WaitForNotice(11, limit, m_pending, m_from)) return false;
  m_pending = 0;
  return true;
}

long long StartedRuns::BreakAndWait(std::chrono::milliseconds limit) {
  const auto start = std::chrono::steady_clock::now();
  ScanerBreakJob();
  if (!WaitForEnds(limit)) return -1;
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                               start)
      .count();
}

}  // namespace zelvane::testing
