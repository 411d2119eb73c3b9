#pragma once

#include <cstddef>
#include <cstdint>

#include "zelvane.h"

namespace zelvane {

// The layouts hosts rely on (HostLineRecord: devices/host_line.h).
static_assert(sizeof(StatusNotice) == 268);
static_assert(offsetof(StatusNotice, text) == 4);
static_assert(offsetof(StatusNotice, first) == 260);
static_assert(offsetof(StatusNotice, second) == 264);

// RunRequest: ten 32-bit words on 32-bit Windows; the callback word is pointer-sized
// on 64-bit targets.
static_assert(offsetof(RunRequest, device) == 0);
static_assert(offsetof(RunRequest, port) == 4);
static_assert(offsetof(RunRequest, baud) == 8);
static_assert(offsetof(RunRequest, status_callback) == (sizeof(void*) == 4 ? 36 : 40));
static_assert(sizeof(RunRequest) == (sizeof(void*) == 4 ? 40 : 48));

}  // namespace zelvane
