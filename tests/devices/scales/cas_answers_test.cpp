// The CAS AP-1 block and the stability rule, on bytes alone.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "buffers/chr_arr.h"
#include "devices/scales/cas_frames.h"
#include "devices/scales/cas_stability.h"

namespace zelvane {
namespace {

std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

std::string Block(const std::string& answer, char check) {
  return "\x02" + answer + check + "\x03";
}

// CChrArr(const std::string&) stops at a NUL; blocks are built byte by byte instead.
std::optional<std::string> Answer(const std::string& block, BlockCheck check) {
  CChrArr bytes;
  for (char byte : block) bytes += static_cast<std::uint8_t>(byte);
  const std::optional<CChrArr> answer = AnswerFromBlock(bytes, check);
  return answer ? std::optional<std::string>(Text(*answer)) : std::nullopt;
}

TEST(CasBlock, CheckCharacterIsTheExclusiveOrOfTheAnswer) {
  EXPECT_EQ(BlockCheckCharacter(CChrArr("AB")), 0x41 ^ 0x42);
  EXPECT_EQ(BlockCheckCharacter(CChrArr("S  1.234kg")),
            'S' ^ ' ' ^ ' ' ^ '1' ^ '.' ^ '2' ^ '3' ^ '4' ^ 'k' ^ 'g');
  EXPECT_EQ(BlockCheckCharacter(CChrArr()), 0);
}

TEST(CasBlock, AnswerIsTheTenCharactersBetweenStxAndTheCheckCharacter) {
  const std::string answer = "S  1.234kg";
  const char check = static_cast<char>(BlockCheckCharacter(CChrArr(answer)));
  EXPECT_EQ(Answer(Block(answer, check), BlockCheck::kVerified), answer);
  EXPECT_EQ(Answer(Block(answer, check), BlockCheck::kAccepted), answer);
}

TEST(CasBlock, WrongCheckCharacterIsRefusedOnlyWhenVerified) {
  const std::string answer = "S  1.234kg";
  const char check = static_cast<char>(BlockCheckCharacter(CChrArr(answer)));
  // One bit of the weight lost on the line: 1.234 read as 1.274.
  std::string corrupted = Block(answer, check);
  corrupted[7] ^= 0x04;
  EXPECT_EQ(Answer(corrupted, BlockCheck::kVerified), std::nullopt);
  EXPECT_EQ(Answer(corrupted, BlockCheck::kAccepted), "S  1.274kg");
  for (char any : {'\0', 'x', '\x7f'}) {
    EXPECT_EQ(Answer(Block(answer, any), BlockCheck::kAccepted), answer);
  }
}

TEST(CasBlock, BlocksOfOtherShapesGiveNoAnswer) {
  for (BlockCheck check : {BlockCheck::kVerified, BlockCheck::kAccepted}) {
    EXPECT_EQ(Answer(Block("S 1.234kg", 'x'), check), std::nullopt) << "nine characters";
    EXPECT_EQ(Answer(Block("S  12.345kg", 'x'), check), std::nullopt) << "eleven characters";
    EXPECT_EQ(Answer("S  1.234kgx\x03", check), std::nullopt) << "no STX";
    EXPECT_EQ(Answer("\x02S  1.234kgx", check), std::nullopt) << "no ETX";
    EXPECT_EQ(Answer("\x02x\x03", check), std::nullopt);
    EXPECT_EQ(Answer("", check), std::nullopt);
  }
}

// The scale as the job sees it over a run: every answer judged after the previous
// one, a failed exchange (nullopt) forgetting the last answer.
class CasScaleStates {
 public:
  // For each answer, whether it was reported.
  std::vector<bool> Feed(const std::vector<std::optional<std::string>>& answers) {
    std::vector<bool> reported;
    for (const std::optional<std::string>& answer : answers) {
      if (!answer) {
        m_last = CChrArr();
        reported.push_back(false);
        continue;
      }
      const CChrArr normalised = NormaliseCasAnswer(CChrArr(*answer));
      const CasVerdict verdict = JudgeCasAnswer(normalised, m_last, m_armed);
      m_last = normalised;
      m_armed = verdict.armed;
      reported.push_back(verdict.report);
    }
    return reported;
  }

 private:
  CChrArr m_last;
  bool m_armed = false;
};

using Reports = std::vector<bool>;

TEST(CasStability, WeightIsReportedOnceWhenItSettlesAfterZero) {
  CasScaleStates scale;
  EXPECT_EQ(scale.Feed({"S  0.000kg", "U  1.000kg", "S  1.000kg", "S  1.000kg"}),
            (Reports{false, false, true, false}));
}

TEST(CasStability, NothingIsReportedBeforeTheScaleWasAtZero) {
  CasScaleStates scale;
  EXPECT_EQ(scale.Feed({"S  1.000kg", "S  1.000kg", "S  2.000kg"}), (Reports{false, false, false}));
  EXPECT_EQ(scale.Feed({"S  0.000kg", "S  2.000kg"}), (Reports{false, true}));
}

TEST(CasStability, SameLoadIsReportedOnlyOnceWhateverFollows) {
  CasScaleStates scale;
  EXPECT_EQ(scale.Feed({"S  0.000kg", "S  1.000kg", "S  1.000kg", "U  1.000kg", "S  1.000kg",
                        "S  1.500kg"}),
            (Reports{false, true, false, false, false, false}));
}

TEST(CasStability, BlankAndUnstableTwoDecimalZerosArmAtOnce) {
  CasScaleStates blank;
  EXPECT_EQ(blank.Feed({"U       kg", "S  1.000kg"}), (Reports{false, true}));
  CasScaleStates twoDecimals;
  EXPECT_EQ(twoDecimals.Feed({"U   0.00kg", "S   2.50kg"}), (Reports{false, true}));
  CasScaleStates stableTwoDecimals;
  EXPECT_EQ(stableTwoDecimals.Feed({"S   0.00kg", "S   2.50kg"}), (Reports{false, true}));
}

TEST(CasStability, UnstableThreeDecimalZeroArmsOnlyWhenSeenTwiceRunning) {
  CasScaleStates once;
  EXPECT_EQ(once.Feed({"U  0.000kg", "S  1.000kg"}), (Reports{false, false}));
  CasScaleStates twice;
  EXPECT_EQ(twice.Feed({"U  0.000kg", "U  0.000kg", "S  1.000kg"}), (Reports{false, false, true}));
}

TEST(CasStability, FailedExchangeMakesTheNextAnswerAChange) {
  CasScaleStates scale;
  EXPECT_EQ(scale.Feed({"U  0.000kg", std::nullopt, "U  0.000kg", "S  1.000kg"}),
            (Reports{false, false, false, false}));
}

TEST(CasStability, AnswerWhoseSecondCharacterIsNotASpaceNeitherArmsNorReports) {
  CasScaleStates scale;
  EXPECT_EQ(scale.Feed({"S  0.000kg", "S- 1.000kg", "S  1.000kg"}), (Reports{false, false, true}));
  CasScaleStates notArmed;
  EXPECT_EQ(notArmed.Feed({"SX 0.000kg", "S  1.000kg"}), (Reports{false, false}));
}

TEST(CasStability, OnlyTheTwoKnownZerosAreNormalised) {
  EXPECT_EQ(Text(NormaliseCasAnswer(CChrArr("U       kg"))), "S  0.000kg");
  EXPECT_EQ(Text(NormaliseCasAnswer(CChrArr("U   0.00kg"))), "S   0.00kg");
  EXPECT_EQ(Text(NormaliseCasAnswer(CChrArr("U  0.000kg"))), "U  0.000kg");
  EXPECT_EQ(Text(NormaliseCasAnswer(CChrArr("U       k"))), "U       k");
}

}  // namespace
}  // namespace zelvane
