#pragma once

#include <optional>

#include "buffers/chr_arr.h"

namespace zelvane {

// What the scale jobs make of the texts their scales send. Every function here works
// on bytes alone; none of them touches a port.

// A weight code is shaped like an in-store EAN-13 article code: "27", "0000", "0",
// five digits of the weight in grams, and "0" where a check digit would stand.
inline constexpr int kWeightCodeLength = 13;
inline constexpr const char* kWeightCodeTemplate = "2700000000000";

// The weight code of a Radwag line (CR LF removed): only lines of exactly 14
// characters carry one, with the weight in positions 4 to 9 and three decimals.
std::optional<CChrArr> RadwagWeightCode(const CChrArr& line);

// The weight code of a Fawag line (CR LF removed): only lines of exactly 8 characters
// carry one; a point in position 6 means two decimals, anything else three.
std::optional<CChrArr> FawagWeightCode(const CChrArr& line);

// The weight code of a CAS AP-1 answer of 10 characters (as "S  1.234kg"): a point in
// position 6 means two decimals, anything else three.
CChrArr CasWeightCode(const CChrArr& answer);

// The positive weight that a Radwag or Fawag scale's answer to a weight request
// begins with; nothing for readings marked unstable ("U") or "N", for answers that do
// not begin with a number, and for zero, negative or non-finite weights.
std::optional<double> RequestedWeight(const CChrArr& answer);

}  // namespace zelvane
