#include "devices/scales/scale_parsing.h"

#include <cmath>
#include <cstdint>

#include "buffers/field_format.h"

namespace zelvane {
namespace {

// What a visited character that is not a digit does to the target position.
enum class NonDigit {
  kSkipped,           // nothing: the next digit goes where this one would have
  kSpaceMovesTarget,  // a space leaves its place at "0"; anything else is skipped
};

bool IsDigit(std::uint8_t byte) {
  return byte >= '0' && byte <= '9';
}

// Copies the digits of source positions `first` down to `last` (1-based) into the
// template from position `target` leftwards. The callers' ranges keep every target
// inside the code: at most six places are visited, so the leftmost is position 7.
CChrArr PlaceWeightDigits(const CChrArr& source, int first, int last, int target, NonDigit rule) {
  CChrArr code(kWeightCodeTemplate);
  for (int position = first; position >= last; --position) {
    const std::uint8_t byte = source[position - 1];
    if (IsDigit(byte)) {
      code.SetAt(target - 1, byte);
      --target;
    } else if (byte == ' ' && rule == NonDigit::kSpaceMovesTarget) {
      --target;
    }
  }
  return code;
}

constexpr int kRadwagLineLength = 14;
constexpr int kFawagLineLength = 8;

// Position of the point in a weight with two decimals (Fawag lines, CAS answers).
constexpr int kTwoDecimalsPoint = 6;

bool HasTwoDecimals(const CChrArr& text) {
  return text[kTwoDecimalsPoint - 1] == '.';
}

}  // namespace

std::optional<CChrArr> RadwagWeightCode(const CChrArr& line) {
  if (line.GetSize() != kRadwagLineLength) return std::nullopt;
  return PlaceWeightDigits(line, 9, 4, 12, NonDigit::kSpaceMovesTarget);
}

std::optional<CChrArr> FawagWeightCode(const CChrArr& line) {
  if (line.GetSize() != kFawagLineLength) return std::nullopt;
  // With two decimals the gram digit is not there and stays "0".
  if (HasTwoDecimals(line)) return PlaceWeightDigits(line, 8, 4, 11, NonDigit::kSkipped);
  return PlaceWeightDigits(line, 8, 3, 12, NonDigit::kSkipped);
}

CChrArr CasWeightCode(const CChrArr& answer) {
  if (HasTwoDecimals(answer)) {
    return PlaceWeightDigits(answer, 8, 4, 11, NonDigit::kSpaceMovesTarget);
  }
  return PlaceWeightDigits(answer, 8, 3, 12, NonDigit::kSpaceMovesTarget);
}

std::optional<double> RequestedWeight(const CChrArr& answer) {
  if (!answer.IsEmpty() && (answer[0] == 'U' || answer[0] == 'N')) return std::nullopt;
  const double weight = ToDouble(answer);
  if (!std::isfinite(weight) || weight <= 0) return std::nullopt;
  return weight;
}

}  // namespace zelvane
