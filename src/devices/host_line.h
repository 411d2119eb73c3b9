#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "zelvane.h"

// The host's article line, HostLineRecord: 312 bytes that the host lays out by hand
// (arrays of them have a stride of 312). The library touches four fields only, and
// reads and writes them through their offsets, never through the compiler's idea of
// the structure, so that no other byte of the host's record is read or written.
namespace zelvane::host_line {

inline constexpr std::size_t kSize = 312;
inline constexpr std::size_t kCodeOffset = 44;
inline constexpr std::size_t kCodeSize = 32;
inline constexpr std::size_t kNameOffset = 76;
inline constexpr std::size_t kNameSize = 48;
inline constexpr std::size_t kQuantityOffset = 136;
inline constexpr std::size_t kPriceOffset = 180;

static_assert(sizeof(HostLineRecord) == kSize);
static_assert(offsetof(HostLineRecord, code) == kCodeOffset);
static_assert(offsetof(HostLineRecord, name) == kNameOffset);
static_assert(offsetof(HostLineRecord, quantity) == kQuantityOffset);
static_assert(offsetof(HostLineRecord, price) == kPriceOffset);

// The line at `index` of an array of lines.
void* At(void* lines, int index);

// The texts up to their NUL, never beyond their field.
std::string Code(const void* line);
std::string Name(const void* line);
double Quantity(const void* line);
double Price(const void* line);

// The texts are cut to their field less one byte and end with a NUL; the field's
// bytes after it are left as they were.
void SetCode(void* line, std::string_view code);
void SetName(void* line, std::string_view name);
void SetQuantity(void* line, double quantity);
void SetPrice(void* line, double price);

}  // namespace zelvane::host_line
