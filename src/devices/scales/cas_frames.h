#pragma once

#include <cstdint>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/control_characters.h"

namespace zelvane {

// The bytes of the CAS AP-1 dialogue and what its blocks must look like. A reading is
// ENQ / ACK, then DC1 / SOH, the block STX, ten answer characters, a block check
// character, ETX, and finally EOT.
namespace cas {
inline constexpr int kAnswerLength = 10;
// Longest block taken while looking for its ETX.
inline constexpr int kMaxBlockLength = 256;
}  // namespace cas

// Whether the block check character of a CAS block is compared with the answer's.
enum class BlockCheck {
  kVerified,  // a block whose check character differs is refused
  kAccepted,  // the check character is received and ignored
};

// The check this build applies to the scale's blocks (CMake option ZELVANE_CAS_VERIFY_BCC).
BlockCheck BuiltInBlockCheck();

// The exclusive-or of the answer's bytes: the block check character a scale puts ahead
// of ETX.
std::uint8_t BlockCheckCharacter(const CChrArr& answer);

// The ten answer characters of a block received up to its ETX, or nothing when the
// block is not STX, ten characters, a check character and ETX, or (with
// BlockCheck::kVerified) when its check character is not the answer's.
std::optional<CChrArr> AnswerFromBlock(const CChrArr& block, BlockCheck check);

}  // namespace zelvane
