#include <gtest/gtest.h>

#include <string>

#include "buffer_test_support.h"
#include "buffers/buffer_errors.h"
#include "buffers/chr_arr.h"

namespace zelvane {
namespace {

const CChrArr kFiveLetters("ABCDE");

TEST(ChrArrFind, FindsTheFirstMatchAtOrAfterTheStart) {
  const CChrArr buffer(BytesOf({'a', 0, 'b', 0xB9, 'b'}));
  EXPECT_EQ(buffer.Find('b'), 2);
  EXPECT_EQ(buffer.Find('b', 3), 4);
  EXPECT_EQ(buffer.Find(0), 1);
  EXPECT_EQ(buffer.Find(0xB9), 3);
  EXPECT_EQ(buffer.Find('a', 1), -1);
  EXPECT_EQ(buffer.Find('z'), -1);
}

TEST(ChrArrFind, StartAtOrBeyondTheEndFindsNothing) {
  EXPECT_EQ(kFiveLetters.Find('E', 5), -1);
  EXPECT_EQ(kFiveLetters.Find('E', 100), -1);
  EXPECT_EQ(CChrArr().Find(0), -1);
}

TEST(ChrArrFind, NegativeStartThrows) {
  EXPECT_THROW(kFiveLetters.Find('A', -1), InvalidArgument);
}

TEST(ChrArrExtraction, LeftAndRightClampTheirCounts) {
  EXPECT_EQ(Contents(kFiveLetters.Left(2)), "AB");
  EXPECT_EQ(Contents(kFiveLetters.Left(-3)), "");
  EXPECT_EQ(Contents(kFiveLetters.Left(100)), "ABCDE");
  EXPECT_EQ(Contents(kFiveLetters.Right(2)), "DE");
  EXPECT_EQ(Contents(kFiveLetters.Right(-1)), "");
  EXPECT_EQ(Contents(kFiveLetters.Right(5)), "ABCDE");
}

TEST(ChrArrExtraction, MidClampsStartAndCount) {
  EXPECT_EQ(Contents(kFiveLetters.Mid(1, 2)), "BC");
  EXPECT_EQ(Contents(kFiveLetters.Mid(7, 2)), "");
  EXPECT_EQ(Contents(kFiveLetters.Mid(5, 2)), "");
  EXPECT_EQ(Contents(kFiveLetters.Mid(3, 10)), "DE");
  EXPECT_EQ(Contents(kFiveLetters.Mid(-2, 3)), "ABC");
  EXPECT_EQ(Contents(kFiveLetters.Mid(2, -1)), "");
}

TEST(ChrArrExtraction, MidWithoutCountTakesTheRest) {
  EXPECT_EQ(Contents(kFiveLetters.Mid(3)), "DE");
  EXPECT_EQ(Contents(kFiveLetters.Mid(-4)), "ABCDE");
  EXPECT_EQ(Contents(kFiveLetters.Mid(6)), "");
}

TEST(ChrArrExtraction, ResultsAreIndependentOfTheSource) {
  CChrArr source("ABC");
  const CChrArr left = source.Left(2);
  source[0] = 'X';
  EXPECT_EQ(Contents(left), "AB");
}

TEST(ChrArrCompare, EmptyOperandsNeverCompareEqual) {
  const char* const nullText = nullptr;
  EXPECT_EQ(CChrArr().Compare(CChrArr()), 1);
  EXPECT_EQ(CChrArr().Compare(""), 1);
  EXPECT_EQ(CChrArr(nullText).Compare(nullText), 1);
  EXPECT_EQ(CChrArr().Compare("A"), -1);
  EXPECT_EQ(CChrArr("A").Compare(""), 1);
  EXPECT_FALSE(CChrArr() == CChrArr());
  EXPECT_FALSE(CChrArr() == "");
  EXPECT_TRUE(CChrArr() != "");
  EXPECT_TRUE("" != CChrArr());
}

TEST(ChrArrCompare, ABufferEqualsAnyOperandThatBeginsWithIt) {
  EXPECT_EQ(CChrArr("AB").Compare("ABC"), 0);
  EXPECT_EQ(CChrArr("AB").Compare(CChrArr("AB")), 0);
  EXPECT_EQ(CChrArr("ABC").Compare("AB"), 1);
  EXPECT_EQ(CChrArr("ABC").Compare(CChrArr("AB")), 1);
  EXPECT_TRUE(CChrArr("AB") == "ABC");
  EXPECT_TRUE("ABC" == CChrArr("AB"));
  EXPECT_FALSE(CChrArr("ABC") == CChrArr("AB"));
  EXPECT_TRUE(CChrArr("AB") == CChrArr("ABC"));
}

TEST(ChrArrCompare, TheFirstDifferenceDecidesWithUnsignedBytes) {
  EXPECT_EQ(CChrArr("AC").Compare("AB"), 1);
  EXPECT_EQ(CChrArr("AB").Compare("ACAAA"), -1);
  EXPECT_EQ(CChrArr("A\xB9").Compare("Az"), 1);
  EXPECT_EQ(CChrArr("Az").Compare(CChrArr("A\xB9")), -1);
  EXPECT_TRUE(CChrArr("AC") != "AB");
  EXPECT_TRUE(CChrArr(BytesOf({'A', 0})) != CChrArr(BytesOf({'A', 1})));
}

TEST(ChrArrCompare, StopsAtTheTextTerminator) {
  // The text is the prefix of a larger array: nothing after its terminator may count.
  const char text[] = {'A', 'B', '\0', 'C'};
  EXPECT_EQ(CChrArr("ABC").Compare(text), 1);
  EXPECT_EQ(CChrArr("AB").Compare(text), 0);
}

}  // namespace
}  // namespace zelvane
