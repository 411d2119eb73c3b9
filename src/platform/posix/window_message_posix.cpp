#include "platform/window_message.h"

namespace zelvane::platform {

// No window system here: a host window handle is only recorded, never posted to.
bool PostWindowMessage(WindowHandle, std::uint32_t, std::uintptr_t, std::intptr_t) {
  return false;
}

}  // namespace zelvane::platform
