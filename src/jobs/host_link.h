#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string_view>

#include "platform/window_message.h"
#include "zelvane.h"

namespace zelvane {

// The link to the host that carries the status notices of every run: the window and
// message number for posted notices, the host's status callback, a host-wide observer
// and the notice block. Notices come from the worker (and from the host's thread while
// a device opens); the callbacks and the window are set from the host's threads.
class HostLink {
 public:
  HostLink() = default;
  HostLink(const HostLink&) = delete;
  HostLink& operator=(const HostLink&) = delete;

  // Records the host window and message number.
  void AttachWindow(platform::WindowHandle window, std::uint32_t message);

  // Fills the notice block (the text cut to 255 characters), calls the status callback
  // when one is set, then the observer, and posts the message number to the window when
  // both are set. The worker and the host's thread (a single-record load) both post:
  // one notice is whole before the next begins, and a callback may post again from
  // within.
  void PostStatus(int code, std::string_view text, int first, int second);

  void SetStatusCallback(StatusCallback callback) { m_pfnNotify.store(callback); }
  StatusCallback GetStatusCallback() const { return m_pfnNotify.load(); }
  // A host-wide listener that receives every notice whatever the device, after the
  // status callback; no run replaces it.
  void SetStatusObserver(StatusCallback observer) { m_pfnObserver.store(observer); }
  platform::WindowHandle NotifyWindow() const { return m_hNotifyWnd.load(); }

  // The block that the last notice filled; a posted message carries its address.
  const StatusNotice& Notice() const { return m_notice; }

 private:
  std::atomic<platform::WindowHandle> m_hNotifyWnd{nullptr};
  std::atomic<std::uint32_t> m_nNotifyMsg{0};
  std::atomic<StatusCallback> m_pfnNotify{nullptr};
  std::atomic<StatusCallback> m_pfnObserver{nullptr};
  std::recursive_mutex m_noticeLock;
  StatusNotice m_notice{};
};

}  // namespace zelvane
