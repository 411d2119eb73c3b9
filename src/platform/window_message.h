#pragma once

#include <cstdint>

namespace zelvane::platform {

using WindowHandle = void*;

// Posts (does not send) a message to a window. Windows: PostMessageA. Elsewhere there
// are no windows and nothing is posted. Returns whether the message was queued.
bool PostWindowMessage(WindowHandle window, std::uint32_t message, std::uintptr_t wparam,
                       std::intptr_t lparam);

}  // namespace zelvane::platform
