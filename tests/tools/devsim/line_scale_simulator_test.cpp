#include "line_scale_simulator.h"

#include <gtest/gtest.h>

#include <cctype>
#include <charconv>
#include <string>

#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using testing::MemoryLink;

bool IsDigit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

// The five gram digits the scale jobs place into their weight code, visiting the
// 1-based line positions `from` down to `to` and filling the code from `target`
// (12 is the last gram digit, 8 the first). `spaceMoves`: a space moves the target.
std::string GramDigits(const std::string& line, int from, int to, int target, bool spaceMoves) {
  std::string code = "2700000000000";
  for (int position = from; position >= to; --position) {
    const char c = line[static_cast<std::size_t>(position - 1)];
    if (IsDigit(c)) {
      code[static_cast<std::size_t>(target-- - 1)] = c;
    } else if (c == ' ' && spaceMoves) {
      --target;
    }
  }
  return code.substr(7, 5);
}

// The Radwag job reads only 14-character lines, positions 9 down to 4.
std::string RadwagGrams(const std::string& line) {
  if (line.size() != 14) return "ignored";
  return GramDigits(line, 9, 4, 12, true);
}

// The Fawag job reads only 8-character lines; a point in position 6 means two decimals.
std::string FawagGrams(const std::string& line) {
  if (line.size() != 8) return "ignored";
  return line[5] == '.' ? GramDigits(line, 8, 4, 11, false) : GramDigits(line, 8, 3, 12, false);
}

// What a one-off weighing makes of an answer line (without CR LF): the weight when it
// is taken, 0 when it is refused.
double WeighedKilograms(const std::string& line) {
  if (line.size() + 2 < 10 || line[0] == 'U' || line[0] == 'N') return 0;
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos) return 0;
  double value = 0;
  const auto [end, error] = std::from_chars(line.data() + start, line.data() + line.size(), value);
  return error == std::errc() && value > 0 ? value : 0;
}

constexpr auto kRadwag = LineScaleModel::kRadwag;
constexpr auto kFawag2 = LineScaleModel::kFawagTwoDecimals;
constexpr auto kFawag3 = LineScaleModel::kFawagThreeDecimals;

Reading Stable(double kilograms) {
  return {ReadingKind::kStable, kilograms};
}

TEST(ReadingLine, RadwagLinesGiveTheirGramsToTheRadwagJob) {
  EXPECT_EQ(ReadingLine(kRadwag, Stable(12.345)).substr(3, 6), "12.345");
  EXPECT_EQ(RadwagGrams(ReadingLine(kRadwag, Stable(12.345))), "12345");
  EXPECT_EQ(ReadingLine(kRadwag, Stable(1.234)).substr(3, 6), " 1.234");
  EXPECT_EQ(RadwagGrams(ReadingLine(kRadwag, Stable(1.234))), "01234");
  EXPECT_EQ(RadwagGrams(ReadingLine(kRadwag, Stable(2.5))), "02500");
  EXPECT_EQ(RadwagGrams(ReadingLine(kRadwag, Stable(0))), "00000");
  EXPECT_EQ(RadwagGrams(ReadingLine(kRadwag, Stable(99.999))), "99999");
}

TEST(ReadingLine, FawagLinesGiveTheirGramsToTheFawagJob) {
  const std::string twoDecimals = ReadingLine(kFawag2, Stable(1234.56));
  EXPECT_EQ(twoDecimals.substr(1, 7), "1234.56");
  EXPECT_EQ(twoDecimals[5], '.');
  EXPECT_EQ(FawagGrams(twoDecimals), "34560");
  EXPECT_EQ(FawagGrams(ReadingLine(kFawag2, Stable(2.5))), "02500");

  const std::string threeDecimals = ReadingLine(kFawag3, Stable(12.345));
  EXPECT_EQ(threeDecimals.substr(1, 7), " 12.345");
  EXPECT_EQ(FawagGrams(threeDecimals), "12345");
  EXPECT_EQ(FawagGrams(ReadingLine(kFawag3, Stable(999.999))), "99999");
}

TEST(ReadingLine, EveryModelKeepsItsLengthWhateverTheReading) {
  for (const double kilograms : {0.0, 0.001, 1.5, -1.234, -99.999, 999.999}) {
    for (const ReadingKind kind :
         {ReadingKind::kStable, ReadingKind::kUnstable, ReadingKind::kNotOk}) {
      const Reading reading{kind, kilograms};
      EXPECT_EQ(ReadingLine(kRadwag, reading).size(), 14u) << kilograms;
      EXPECT_EQ(ReadingLine(kFawag2, reading).size(), 8u) << kilograms;
      EXPECT_EQ(ReadingLine(kFawag3, reading).size(), 8u) << kilograms;
    }
  }
}

TEST(ReadingLine, OneOffWeighingTakesOnlyStablePositiveReadings) {
  for (const LineScaleModel model : {kRadwag, kFawag2, kFawag3}) {
    EXPECT_DOUBLE_EQ(WeighedKilograms(ReadingLine(model, Stable(12.5))), 12.5);
    EXPECT_DOUBLE_EQ(WeighedKilograms(ReadingLine(model, Stable(0.001))),
                     model == kFawag2 ? 0 : 0.001);
    EXPECT_EQ(WeighedKilograms(ReadingLine(model, Stable(0))), 0);
    EXPECT_EQ(WeighedKilograms(ReadingLine(model, Stable(-1.5))), 0);
    EXPECT_EQ(WeighedKilograms(ReadingLine(model, {ReadingKind::kUnstable, 12.5})), 0);
    EXPECT_EQ(WeighedKilograms(ReadingLine(model, {ReadingKind::kNotOk, 12.5})), 0);
    EXPECT_EQ(WeighedKilograms(ReadingLine(model, {ReadingKind::kMalformed, 12.5})), 0);
  }
  EXPECT_EQ(ReadingLine(kRadwag, {ReadingKind::kUnstable, 1})[0], 'U');
  EXPECT_EQ(ReadingLine(kFawag2, {ReadingKind::kNotOk, 1})[0], 'N');
}

TEST(ReadingLine, NegativeWeightKeepsItsSignInTheLine) {
  const std::string radwag = ReadingLine(kRadwag, Stable(-1.234));
  EXPECT_EQ(radwag.substr(3, 6), "-1.234");
  EXPECT_EQ(RadwagGrams(radwag), "01234");
  EXPECT_EQ(ReadingLine(kFawag3, Stable(-1.234)).substr(1, 7), " -1.234");
}

TEST(ReadingLine, MalformedLinesAreIgnoredByTheJobs) {
  const std::string radwag = ReadingLine(kRadwag, {ReadingKind::kMalformed, 12.345});
  EXPECT_EQ(radwag.size(), 13u);
  EXPECT_EQ(RadwagGrams(radwag), "ignored");
  const std::string fawag = ReadingLine(kFawag2, {ReadingKind::kMalformed, 12.345});
  EXPECT_EQ(fawag.size(), 7u);
  for (const std::string& line : {radwag, fawag}) {
    for (const char c : line) EXPECT_FALSE(IsDigit(c)) << line;
  }
}

class LineScaleOnLink : public ::testing::Test {
 protected:
  void Request(const std::string& bytes) {
    for (const char byte : bytes) scale.Receive(byte);
  }

  MemoryLink link;
  LineScaleSimulator scale{link, kRadwag, {Stable(1.234), {ReadingKind::kUnstable, 2}, Stable(0)}};
};

TEST_F(LineScaleOnLink, WeighRequestIsAnsweredOnlyOnceComplete) {
  Request("D\r");
  EXPECT_EQ(link.PcTake(), "");
  Request("\n");
  EXPECT_EQ(link.PcTake(), ReadingLine(kRadwag, Stable(1.234)) + "\r\n");
}

TEST_F(LineScaleOnLink, OtherLinesGetNoAnswer) {
  Request("T\r\n");
  Request("DD\r\n");
  Request("D\n");
  Request(std::string(100, 'D') + "\r\n");
  EXPECT_EQ(link.PcTake(), "");
  // A stray byte ahead of a request spoils only its own line.
  Request("x\r\nD\r\n");
  EXPECT_EQ(link.PcTake(), ReadingLine(kRadwag, Stable(1.234)) + "\r\n");
}

TEST_F(LineScaleOnLink, AnswersAndPushedLinesShareOneCourseOfReadings) {
  Request("D\r\n");
  scale.Beat();
  Request("D\r\n");
  scale.Beat();
  EXPECT_EQ(link.PcTake(), ReadingLine(kRadwag, Stable(1.234)) + "\r\n" +
                               ReadingLine(kRadwag, {ReadingKind::kUnstable, 2}) + "\r\n" +
                               ReadingLine(kRadwag, Stable(0)) + "\r\n" +
                               ReadingLine(kRadwag, Stable(1.234)) + "\r\n");
}

TEST_F(LineScaleOnLink, ReadingOnCueLeavesTheScriptWhereItWas) {
  ASSERT_TRUE(scale.SendReading(Stable(7)));
  Request("D\r\n");
  EXPECT_EQ(link.PcTake(), ReadingLine(kRadwag, Stable(7)) + "\r\n" +
                               ReadingLine(kRadwag, Stable(1.234)) + "\r\n");
}

}  // namespace
}  // namespace zelvane::devsim
