#pragma once

#include <cstdint>

#include "buffers/chr_arr.h"

namespace zelvane {

// Number fields of device frames, and padding, cutting, trimming and patching of text
// fields. Every function returns a new buffer. Numbers are written and read with "."
// as the decimal point whatever the process locale is.

// "%X" (upper-case hexadecimal) for base 16, "%u" for any other base; fill bytes in
// front up to `width`. A longer text is kept whole.
CChrArr FormatUInt(std::uint32_t value, int base, int width, std::uint8_t fill);

// "%11.0f" ... "%11.4f" for 0 to 4 decimals, "%f" for any other count; spaces in front
// up to `width`. Digits are never cut.
CChrArr FormatFixed(double value, int width, int decimals);

// The decimal real number at the start of the text (after white space), up to the
// first byte that cannot continue it; 0.0 when there is none.
double ToDouble(const CChrArr& text);

// Brought to exactly `width` bytes: fill bytes in front (PadLeft) or behind (PadRight)
// when shorter, the first `width` bytes when longer. A width of 0 or below keeps a
// non-empty buffer whole.
CChrArr PadLeft(const CChrArr& text, int width, std::uint8_t fill);
CChrArr PadRight(const CChrArr& text, int width, std::uint8_t fill);

// Without the leading and trailing runs of `byte`.
CChrArr TrimByte(const CChrArr& text, std::uint8_t byte);

CChrArr ReplaceByte(const CChrArr& text, std::uint8_t from, std::uint8_t to);

}  // namespace zelvane
