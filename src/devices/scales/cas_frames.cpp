#include "devices/scales/cas_frames.h"

#include "buffers/buffer_functions.h"

#ifndef ZELVANE_CAS_VERIFY_BCC
#error "the build sets ZELVANE_CAS_VERIFY_BCC to 1 or 0 for this file"
#endif

namespace zelvane {

BlockCheck BuiltInBlockCheck() {
  return ZELVANE_CAS_VERIFY_BCC ? BlockCheck::kVerified : BlockCheck::kAccepted;
}

std::uint8_t BlockCheckCharacter(const CChrArr& answer) {
  std::uint8_t check = 0;
  for (int i = 0; i < answer.GetSize(); ++i) check ^= answer[i];
  return check;
}

std::optional<CChrArr> AnswerFromBlock(const CChrArr& block, BlockCheck check) {
  const int size = block.GetSize();
  if (size <= 3 || block[0] != control::kStx || block[size - 1] != control::kEtx)
    return std::nullopt;
  // Between STX and the check character ahead of ETX.
  CChrArr answer = SubStr(block, 2, size - 3);
  if (answer.GetSize() != cas::kAnswerLength) return std::nullopt;
  if (check == BlockCheck::kVerified && BlockCheckCharacter(answer) != block[size - 2]) {
    return std::nullopt;
  }
  return answer;
}

}  // namespace zelvane
