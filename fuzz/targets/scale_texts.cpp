// The texts that Radwag, Fawag and CAS AP-1 scales send, turned into weight codes and
// requested weights.
#include <cmath>
#include <cstdint>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/scales/scale_parsing.h"
#include "fuzz_check.h"
#include "scripted_line.h"

namespace {

using zelvane::CChrArr;

// Whatever the scale sent, a weight code is an in-store article code of digits: "27",
// "0000", the weight (six digits at most, so place 7 may hold one) and a final "0".
void CheckWeightCode(const CChrArr& code) {
  FUZZ_CHECK(code.GetSize() == zelvane::kWeightCodeLength);
  for (int i = 0; i < code.GetSize(); ++i) FUZZ_CHECK(code[i] >= '0' && code[i] <= '9');
  FUZZ_CHECK(code.Left(6) == CChrArr("270000") && code[12] == '0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const CChrArr text = zelvane::fuzzing::BytesOf(data, size);
  if (const auto code = zelvane::RadwagWeightCode(text)) CheckWeightCode(*code);
  if (const auto code = zelvane::FawagWeightCode(text)) CheckWeightCode(*code);
  if (text.GetSize() == 10) CheckWeightCode(zelvane::CasWeightCode(text));
  if (const std::optional<double> weight = zelvane::RequestedWeight(text)) {
    FUZZ_CHECK(std::isfinite(*weight) && *weight > 0);
  }
  return 0;
}
