#pragma once

#include "buffers/chr_arr.h"

namespace zelvane {

// When a CAS AP-1 scale's answers make a sale weight. The scale is asked again and
// again while the load lies on it, so a weight is reported once per placement: only
// when the reading is stable and the scale has been seen at zero since the last
// reported weight (the scale is then "armed").

// The two blank or unstable answers that count as zero at once become the stable
// zero of their format; every other answer is returned as it is.
CChrArr NormaliseCasAnswer(const CChrArr& answer);

struct CasVerdict {
  bool report;  // the answer is a sale weight
  bool armed;   // the arming after this answer
};

// What a (normalised) answer means after `lastAnswer` (empty after a failed exchange,
// which makes any answer a change) with the scale `armed` or not.
CasVerdict JudgeCasAnswer(const CChrArr& answer, const CChrArr& lastAnswer, bool armed);

}  // namespace zelvane
