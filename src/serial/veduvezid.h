#pragma once

#include <atomic>
#include <cstdint>
#include <string_view>

#include "platform/window_message.h"
#include "zelvane.h"

namespace zelvane {

// The library's one serial object. This part is its link to the host: the window and
// message number for posted notices, the host's status callback, the notice block and
// the break flag that the host's ScanerBreakJob raises for the port operations.
class CVeduvezid {
 public:
  CVeduvezid() = default;
  CVeduvezid(const CVeduvezid&) = delete;
  CVeduvezid& operator=(const CVeduvezid&) = delete;

  // Records the host window and message number and clears the break flag.
  void AttachWindow(platform::WindowHandle window, std::uint32_t message);

  // Raises the break flag and returns at once.
  void RequestBreak();

  // Fills the notice block (the text cut to 255 characters), calls the status callback
  // when one is set, and posts the message number to the window when both are set.
  void PostStatus(int code, std::string_view text, int first, int second);

  void SetStatusCallback(StatusCallback callback) { m_pfnNotify.store(callback); }
  StatusCallback GetStatusCallback() const { return m_pfnNotify.load(); }
  platform::WindowHandle NotifyWindow() const { return m_hNotifyWnd.load(); }
  bool IsBreakRequested() const { return m_bBreak.load() != 0; }

  // The block that the last notice filled; a posted message carries its address.
  const StatusNotice& Notice() const { return m_notice; }

 protected:
  void ClearBreak() { m_bBreak.store(0); }

 private:
  std::atomic<platform::WindowHandle> m_hNotifyWnd{nullptr};
  std::atomic<std::uint32_t> m_nNotifyMsg{0};
  std::atomic<std::uint8_t> m_bBreak{0};
  std::atomic<StatusCallback> m_pfnNotify{nullptr};
  StatusNotice m_notice{};
};

}  // namespace zelvane
