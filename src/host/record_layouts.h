#pragma once

#include <cstddef>
#include <cstdint>

#include "zelvane.h"

namespace zelvane {

// Byte offsets of the host's article line. The library reads and writes these fields
// through the offsets (never through the compiler's idea of the structure), so hosts
// that lay the record out by hand see exactly these bytes touched.
namespace host_line {
inline constexpr std::size_t kSize = 312;
inline constexpr std::size_t kCodeOffset = 44;
inline constexpr std::size_t kCodeSize = 32;
inline constexpr std::size_t kNameOffset = 76;
inline constexpr std::size_t kNameSize = 48;
inline constexpr std::size_t kQuantityOffset = 136;
inline constexpr std::size_t kPriceOffset = 180;
}  // namespace host_line

static_assert(sizeof(HostLineRecord) == host_line::kSize);
static_assert(offsetof(HostLineRecord, code) == host_line::kCodeOffset);
static_assert(offsetof(HostLineRecord, name) == host_line::kNameOffset);
static_assert(offsetof(HostLineRecord, quantity) == host_line::kQuantityOffset);
static_assert(offsetof(HostLineRecord, price) == host_line::kPriceOffset);

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
