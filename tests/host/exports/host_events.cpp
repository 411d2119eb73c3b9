#include "host/exports/host_events.h"

#include <thread>

namespace zelvane::testing {
namespace {

HostEvents* g_events = nullptr;

}  // namespace

HostEvents::HostEvents() : m_start(std::chrono::steady_clock::now()) {
  g_events = this;
  ZelvaneSetStatusObserver(&HostEvents::OnNotice);
  ZelvaneSetMessageHandler(&HostEvents::OnMessage);
}

HostEvents::~HostEvents() {
  ZelvaneSetMessageHandler(nullptr);
  ZelvaneSetStatusObserver(nullptr);
  g_events = nullptr;
}

void ZELVANE_CALL HostEvents::OnCode(const char* code) {
  if (g_events == nullptr) return;
  const auto now = std::chrono::steady_clock::now();
  std::lock_guard<std::mutex> hold(g_events->m_lock);
  g_events->m_codes.emplace_back(code);
  g_events->m_codeTimes.push_back(
      std::chrono::duration_cast<std::chrono::milliseconds>(now - g_events->m_start).count());
}

void ZELVANE_CALL HostEvents::OnNotice(int32_t code, const char* text, int32_t first,
                                       int32_t second) {
  if (g_events == nullptr) return;
  std::lock_guard<std::mutex> hold(g_events->m_lock);
  g_events->m_notices.push_back({code, text, first, second});
}

void ZELVANE_CALL HostEvents::OnMessage(const char* text) {
  if (g_events == nullptr) return;
  std::lock_guard<std::mutex> hold(g_events->m_lock);
  g_events->m_messages.emplace_back(text);
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

bool HostEvents::WaitForNotice(int code, std::chrono::milliseconds limit, std::size_t count) const {
  return WaitUntil(
      [&] {
        std::size_t seen = 0;
        for (const Notice& notice : m_notices) {
          if (notice.code == code) ++seen;
        }
        return seen >= count;
      },
      limit);
}

}  // namespace zelvane::testing
