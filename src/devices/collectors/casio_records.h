#pragma once

#include <cstdint>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/control_characters.h"
#include "devices/reading_record.h"

// The records a Casio DT-700 terminal sends: a length of one or two digits, then
// ":" code ":" quantity CR, the length counting from the leading ":" to the CR. With a
// one-digit length the two bytes read for it are the digit and that ":". Every
// function here works on bytes alone.
namespace zelvane {

namespace casio {
inline constexpr std::uint8_t kLink = '?';
inline constexpr std::uint8_t kStart = '-';
inline constexpr std::uint8_t kEnd = '!';
inline constexpr std::uint8_t kSeparator = ':';
}  // namespace casio

// How many bytes of the record are still to come after its two-byte length prefix
// (the CR included); nothing for a prefix that announces no whole record.
std::optional<int> CasioRemainingLength(std::uint8_t first, std::uint8_t second);

// The record text (code ":" quantity) of what followed the prefix: `count` bytes
// ending in CR, a leading ":" dropped; nothing when they are not that.
std::optional<CChrArr> CasioRecordText(const CChrArr& rest, int count);

// Code (at most 13 characters) and quantity, split at the first ":"; nothing when the
// text has no ":" or nothing after it.
std::optional<ReadingRecord> CasioRecord(const CChrArr& text);

}  // namespace zelvane
