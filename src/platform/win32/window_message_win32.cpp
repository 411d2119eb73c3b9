#include <windows.h>

#include "platform/window_message.h"

namespace zelvane::platform {

bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                       std::intptr_t lparam) {
  return ::PostMessageA(static_cast<HWND>(window), message, static_cast<WPARAM>(wparam),
                        static_cast<LPARAM>(lparam)) != FALSE;
}

}  // namespace zelvane::platform
