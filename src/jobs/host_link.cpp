#include "jobs/host_link.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "platform/guarded_call.h"

namespace zelvane {

void HostLink::AttachWindow(platform::WindowHandle window, std::uint32_t message) {
  m_hNotifyWnd.store(window);
  m_nNotifyMsg.store(message);
}

void HostLink::PostStatus(int code, std::string_view text, int first, int second) {
  const std::lock_guard<std::recursive_mutex> hold(m_noticeLock);
  constexpr std::size_t kMaxText = sizeof(m_notice.text) - 1;
  m_notice.code = code;
  m_notice.first = first;
  m_notice.second = second;
  const std::size_t length = std::min(text.size(), kMaxText);
  if (length > 0) std::memcpy(m_notice.text, text.data(), length);
  m_notice.text[length] = '\0';
  m_notice.text[kMaxText] = '\0';

  if (const StatusCallback callback = m_pfnNotify.load()) {
    platform::CallStatusCallback(callback, code, m_notice.text, first, second);
  }
  if (const StatusCallback observer = m_pfnObserver.load()) {
    platform::CallStatusCallback(observer, code, m_notice.text, first, second);
  }
  const platform::WindowHandle window = m_hNotifyWnd.load();
  const std::uint32_t message = m_nNotifyMsg.load();
  if (window != nullptr && message != 0) {
    // A failed post is of no consequence: the notice is in the block and the callback.
    platform::PostWindowMessage(window, message, static_cast<std::uintptr_t>(code),
                                reinterpret_cast<std::intptr_t>(&m_notice));
  }
}

}  // namespace zelvane
