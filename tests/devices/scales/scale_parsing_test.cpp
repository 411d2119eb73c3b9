#include "devices/scales/scale_parsing.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "buffers/chr_arr.h"

namespace zelvane {
namespace {

std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

std::optional<std::string> Radwag(const std::string& line) {
  const std::optional<CChrArr> code = RadwagWeightCode(CChrArr(line));
  return code ? std::optional<std::string>(Text(*code)) : std::nullopt;
}

std::optional<std::string> Fawag(const std::string& line) {
  const std::optional<CChrArr> code = FawagWeightCode(CChrArr(line));
  return code ? std::optional<std::string>(Text(*code)) : std::nullopt;
}

std::string Cas(const std::string& answer) {
  return Text(CasWeightCode(CChrArr(answer)));
}

// The code of a weight in grams: "27", "0000", "0", the five digits, "0".
std::string CodeOf(const std::string& grams) {
  return "2700000" + grams + "0";
}

TEST(RadwagWeightCode, ThreeDecimalWeightBecomesGrams) {
  EXPECT_EQ(Radwag("S  12.345 kg  "), CodeOf("12345"));
  EXPECT_EQ(Radwag("S   1.234 kg  "), CodeOf("01234"));
  EXPECT_EQ(Radwag("S  19.990 kg  "), CodeOf("19990"));
}

TEST(RadwagWeightCode, SpaceBetweenDigitsLeavesItsPlaceAtZero) {
  EXPECT_EQ(Radwag("S  1.2 34 kg  "), CodeOf("12034"));
}

TEST(RadwagWeightCode, SignIsDroppedAndALineWithoutDigitsGivesZeroGrams) {
  EXPECT_EQ(Radwag("S  -1.234kg   "), CodeOf("01234"));
  EXPECT_EQ(Radwag("S  --.--- kg  "), CodeOf("00000"));
}

TEST(RadwagWeightCode, OnlyLinesOfFourteenCharactersCarryAWeight) {
  EXPECT_EQ(Radwag("S  12.345 kg "), std::nullopt);
  EXPECT_EQ(Radwag("S  12.345 kg   "), std::nullopt);
  EXPECT_EQ(Radwag(""), std::nullopt);
}

TEST(RadwagWeightCode, SixthDigitOfAWeightWithoutPointOverwritesTheSeventhPosition) {
  // Only five digits belong to the weight; a line without its point has six.
  EXPECT_EQ(Radwag("S  123456 kg  "), "2700001234560");
}

TEST(FawagWeightCode, TwoDecimalsLeaveTheGramDigitAtZero) {
  EXPECT_EQ(Fawag("   12.34"), CodeOf("12340"));
  // Hundreds and thousands of kilograms do not fit.
  EXPECT_EQ(Fawag(" 1234.56"), CodeOf("34560"));
}

TEST(FawagWeightCode, ThreeDecimalsFillAllFiveDigits) {
  EXPECT_EQ(Fawag("  12.345"), CodeOf("12345"));
  EXPECT_EQ(Fawag("   1.234"), CodeOf("01234"));
}

TEST(FawagWeightCode, EveryNonDigitIsSkippedWithoutMovingTheTarget) {
  EXPECT_EQ(Fawag("  1.2 34"), CodeOf("01234"));
  EXPECT_EQ(Fawag("  -1.234"), CodeOf("01234"));
  EXPECT_EQ(Fawag("  --.---"), CodeOf("00000"));
}

TEST(FawagWeightCode, OnlyLinesOfEightCharactersCarryAWeight) {
  EXPECT_EQ(Fawag("  1.234"), std::nullopt);
  EXPECT_EQ(Fawag("   12.345"), std::nullopt);
}

TEST(CasWeightCode, PointPositionChoosesTheDecimals) {
  EXPECT_EQ(Cas("S  1.234kg"), CodeOf("01234"));
  EXPECT_EQ(Cas("S 12.345kg"), CodeOf("12345"));
  EXPECT_EQ(Cas("S   2.50kg"), CodeOf("02500"));
  EXPECT_EQ(Cas("S  12.50kg"), CodeOf("12500"));
}

TEST(CasWeightCode, SpaceBetweenDigitsLeavesItsPlaceAtZero) {
  EXPECT_EQ(Cas("S  1 .34kg"), CodeOf("10340"));
}

TEST(RequestedWeight, NumberAtTheStartOfTheAnswer) {
  EXPECT_EQ(RequestedWeight(" 12.500 kg"), 12.5);
  EXPECT_EQ(RequestedWeight("   0.005kg"), 0.005);
}

TEST(RequestedWeight, UnstableMarkedZeroNegativeAndNonNumericAnswersAreRefused) {
  EXPECT_EQ(RequestedWeight("U12.500 kg"), std::nullopt);
  EXPECT_EQ(RequestedWeight("N 12.500 kg"), std::nullopt);
  EXPECT_EQ(RequestedWeight("  0.000 kg"), std::nullopt);
  EXPECT_EQ(RequestedWeight(" -1.000 kg"), std::nullopt);
  EXPECT_EQ(RequestedWeight("kg 12.500"), std::nullopt);
  EXPECT_EQ(RequestedWeight(""), std::nullopt);
  EXPECT_EQ(RequestedWeight(" 1e999 kg"), std::nullopt);
}

}  // namespace
}  // namespace zelvane
