// CAS AP-1 answer blocks and the judgement of a series of answers: the first half of
// the input is one block, the rest a series of ten-character answers.
#include <cstdint>

#include "buffers/chr_arr.h"
#include "devices/scales/cas_frames.h"
#include "devices/scales/cas_stability.h"
#include "fuzz_check.h"
#include "scripted_line.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvane;
  const CChrArr input = fuzzing::BytesOf(data, size);
  const CChrArr block = input.Left(input.GetSize() / 2);
  const auto verified = AnswerFromBlock(block, BlockCheck::kVerified);
  const auto accepted = AnswerFromBlock(block, BlockCheck::kAccepted);
  if (verified) {
    FUZZ_CHECK(accepted && *accepted == *verified);
    FUZZ_CHECK(block[block.GetSize() - 2] == BlockCheckCharacter(*verified));
  }
  if (accepted) FUZZ_CHECK(accepted->GetSize() == cas::kAnswerLength);

  CChrArr last;
  bool armed = false;
  for (int at = block.GetSize(); at + cas::kAnswerLength <= input.GetSize();
       at += cas::kAnswerLength) {
    const CChrArr answer = NormaliseCasAnswer(input.Mid(at, cas::kAnswerLength));
    FUZZ_CHECK(answer.GetSize() == cas::kAnswerLength);
    const CasVerdict verdict = JudgeCasAnswer(answer, last, armed);
    // A weight is reported once per placement: never twice without a zero between.
    if (verdict.report) FUZZ_CHECK(armed && !verdict.armed);
    last = answer;
    armed = verdict.armed;
  }
  return 0;
}
