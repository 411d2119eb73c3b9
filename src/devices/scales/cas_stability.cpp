#include "devices/scales/cas_stability.h"

#include <algorithm>
#include <cstring>

namespace zelvane {
namespace {

constexpr const char* kStableZeroThreeDecimals = "S  0.000kg";
constexpr const char* kStableZeroTwoDecimals = "S   0.00kg";
constexpr const char* kBlank = "U       kg";
constexpr const char* kUnstableZeroTwoDecimals = "U   0.00kg";
// Arms only when it is seen twice running.
constexpr const char* kUnstableZeroThreeDecimals = "U  0.000kg";

// Byte for byte: the buffer's own comparison would let a prefix pass as equal.
bool SameBytes(const CChrArr& left, const CChrArr& right) {
  return left.GetSize() == right.GetSize() &&
         std::equal(left.GetData(), left.GetData() + left.GetSize(), right.GetData());
}

bool Is(const CChrArr& answer, const char* text) {
  return SameBytes(answer, CChrArr(text));
}

bool IsStableZero(const CChrArr& answer) {
  return Is(answer, kStableZeroThreeDecimals) || Is(answer, kStableZeroTwoDecimals);
}

bool IsStable(const CChrArr& answer) {
  return answer.GetSize() >= 2 && answer[0] == 'S' && answer[1] == ' ';
}

bool IsSaleWeight(const CChrArr& answer) {
  return IsStable(answer) && !IsStableZero(answer);
}

}  // namespace

CChrArr NormaliseCasAnswer(const CChrArr& answer) {
  if (Is(answer, kBlank)) return CChrArr(kStableZeroThreeDecimals);
  if (Is(answer, kUnstableZeroTwoDecimals)) return CChrArr(kStableZeroTwoDecimals);
  return answer;
}

CasVerdict JudgeCasAnswer(const CChrArr& answer, const CChrArr& lastAnswer, bool armed) {
  if (armed && IsSaleWeight(answer)) return {true, false};
  if (IsStableZero(answer)) return {false, true};
  const bool repeated = SameBytes(answer, lastAnswer);
  if (repeated && Is(answer, kUnstableZeroThreeDecimals)) return {false, true};
  return {false, armed};
}

}  // namespace zelvane
