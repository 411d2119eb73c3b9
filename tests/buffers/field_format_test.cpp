#include <gtest/gtest.h>

#include <string>

#include "buffer_test_support.h"
#include "buffers/field_format.h"

namespace zelvane {
namespace {

TEST(FormatUInt, HexadecimalForBase16AndDecimalOtherwise) {
  EXPECT_EQ(Contents(FormatUInt(255, 16, 2, '0')), "FF");
  EXPECT_EQ(Contents(FormatUInt(10, 16, 2, '0')), "0A");
  EXPECT_EQ(Contents(FormatUInt(0x1A2, 16, 10, ' ')), "       1A2");
  EXPECT_EQ(Contents(FormatUInt(255, 8, 0, ' ')), "255");
  EXPECT_EQ(Contents(FormatUInt(4294967295u, 10, 0, ' ')), "4294967295");
  EXPECT_EQ(Contents(FormatUInt(4294967295u, 16, 0, ' ')), "FFFFFFFF");
}

TEST(FormatUInt, LongerTextIsNeverCut) {
  EXPECT_EQ(Contents(FormatUInt(300, 10, 2, '0')), "300");
  EXPECT_EQ(Contents(FormatUInt(0x10000, 16, 4, '0')), "10000");
}

TEST(FormatFixed, ShortFormsFillElevenCharacters) {
  EXPECT_EQ(Contents(FormatFixed(12.0, 5, 0)), "         12");
  EXPECT_EQ(Contents(FormatFixed(1234.5, 11, 2)), "    1234.50");
  EXPECT_EQ(Contents(FormatFixed(4.5, 11, 2)), "       4.50");
  EXPECT_EQ(Contents(FormatFixed(-1.26, 0, 1)), "       -1.3");
  EXPECT_EQ(Contents(FormatFixed(0.00006, 11, 4)), "     0.0001");
  EXPECT_EQ(Contents(FormatFixed(2.5, 14, 3)), "         2.500");
}

TEST(FormatFixed, OtherDecimalCountsUseSixDecimalsWithoutMinimumWidth) {
  EXPECT_EQ(Contents(FormatFixed(1234.5, 11, 7)), "1234.500000");
  EXPECT_EQ(Contents(FormatFixed(1.5, 0, -1)), "1.500000");
  EXPECT_EQ(Contents(FormatFixed(1.5, 10, 5)), "  1.500000");
}

TEST(FormatFixed, NeverCutsDigits) {
  EXPECT_EQ(Contents(FormatFixed(123456789012.5, 5, 1)), "123456789012.5");
  const CChrArr huge = FormatFixed(-1.7976931348623157e308, 0, 8);
  EXPECT_EQ(huge.GetSize(), 1 + 309 + 1 + 6);
  EXPECT_EQ(Contents(huge.Left(5)), "-1797");
}

TEST(FormatFixed, TrimmedResultIsTheBareNumber) {
  EXPECT_EQ(Contents(TrimByte(FormatFixed(12.0, 5, 0), ' ')), "12");
  EXPECT_EQ(Contents(PadLeft(TrimByte(FormatFixed(4.5, 11, 2), ' '), 14, ' ')), "          4.50");
}

TEST(Padding, PadLeftFillsInFrontOrCuts) {
  EXPECT_EQ(Contents(PadLeft("1234", 13, '0')), "0000000001234");
  EXPECT_EQ(Contents(PadLeft("590123412345678", 13, ' ')), "5901234123456");
  EXPECT_EQ(Contents(PadLeft("ABC", 3, ' ')), "ABC");
  EXPECT_EQ(Contents(PadLeft(CChrArr(), 2, '*')), "**");
}

TEST(Padding, PadRightFillsBehindOrCuts) {
  EXPECT_EQ(Contents(PadRight("AB", 5, '.')), "AB...");
  EXPECT_EQ(Contents(PadRight("590123412345678", 13, ' ')), "5901234123456");
  EXPECT_EQ(Contents(PadRight(CChrArr(), 13, ' ')), std::string(13, ' '));
  EXPECT_TRUE(TrimByte(PadRight(CChrArr(), 13, ' '), ' ').IsEmpty());
}

TEST(Padding, WidthOfZeroOrBelowKeepsTheWholeBuffer) {
  EXPECT_EQ(Contents(PadLeft("ABC", 0, ' ')), "ABC");
  EXPECT_EQ(Contents(PadRight("ABC", -4, ' ')), "ABC");
}

TEST(TrimByte, RemovesLeadingAndTrailingRunsOnly) {
  EXPECT_EQ(Contents(TrimByte("  X ", ' ')), "X");
  EXPECT_EQ(Contents(TrimByte(" A B  ", ' ')), "A B");
  EXPECT_EQ(Contents(TrimByte("X", ' ')), "X");
  EXPECT_EQ(Contents(TrimByte("00120", '0')), "12");
  EXPECT_EQ(Contents(TrimByte("\xA0"
                              "A\xA0",
                              0xA0)),
            "A");
}

TEST(TrimByte, NothingButTheByteGivesEmpty) {
  EXPECT_TRUE(TrimByte("   ", ' ').IsEmpty());
  EXPECT_TRUE(TrimByte(" ", ' ').IsEmpty());
  EXPECT_TRUE(TrimByte(CChrArr(), ' ').IsEmpty());
}

TEST(ReplaceByte, ReplacesEveryOccurrence) {
  EXPECT_EQ(Contents(ReplaceByte("1,5", ',', '.')), "1.5");
  EXPECT_EQ(Contents(ReplaceByte(",1,,", ',', 0)), std::string("\0"
                                                               "1\0\0",
                                                               4));
  EXPECT_EQ(Contents(ReplaceByte("15", ',', '.')), "15");
  const CChrArr source("a,b");
  ReplaceByte(source, ',', ';');
  EXPECT_EQ(Contents(source), "a,b");
}

}  // namespace
}  // namespace zelvane
