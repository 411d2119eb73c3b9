#pragma once

#include <cstdint>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/control_characters.h"
#include "devices/reading_record.h"

// The blocks a Denso BHT-6045 terminal sends: per file a header block (SOH, the
// record count in positions 14 to 18, ETX; 25 bytes) and one record block per record
// (STX, a 16-character code, a 5-character quantity, ETX; 23 bytes), each followed by
// its check byte. Every function here works on bytes alone.
namespace zelvane {

namespace bht {
inline constexpr int kHeaderLength = 25;
inline constexpr int kRecordLength = 23;
}  // namespace bht

// The check byte the terminal sends after a block: the exclusive-or of every byte
// after the leading SOH or STX up to and including ETX.
std::uint8_t BhtBlockCheck(const CChrArr& block);

// Whether the terminal's check bytes are compared with the blocks (CMake option
// ZELVANE_BHT_VERIFY_CHECK); off takes them unexamined.
bool BhtCheckVerified();

// The record count of a header block; nothing unless the block is 25 bytes from SOH
// to ETX with a count of zero or more (the integer part of the number there).
std::optional<int> BhtRecordCount(const CChrArr& header);

// The code (blanks trimmed, at most 13 characters) and quantity of a record block;
// nothing unless the block is 23 bytes from STX to ETX.
std::optional<ReadingRecord> BhtRecord(const CChrArr& block);

}  // namespace zelvane
