#include <gtest/gtest.h>

#include <array>
#include <string>

#include "buffer_test_support.h"
#include "buffers/buffer_functions.h"
#include "platform/message_box.h"

namespace zelvane {
namespace {

const CChrArr kFiveLetters("ABCDE");

TEST(SubStr, PositionsAreOneBased) {
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 1, 2)), "AB");
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 5, 9)), "E");
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 6, 1)), "");
}

TEST(SubStr, PositionZeroIsEmptyWhateverTheCount) {
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 0, 3)), "");
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 0, 0)), "");
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 0, -1)), "");
}

TEST(SubStr, CountOfZeroOrBelowTakesTheRest) {
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 2, 0)), "BCDE");
  EXPECT_EQ(Contents(SubStr(kFiveLetters, 4, -7)), "DE");
}

TEST(FindPos, LooksForTheNeedlesFirstByteOnly) {
  EXPECT_EQ(FindPos(",", "12,5"), 3);
  EXPECT_EQ(FindPos(",x", "12,5"), 3);
  EXPECT_EQ(FindPos(",", "125"), 0);
  EXPECT_EQ(FindPos("", "12,5"), 0);
  EXPECT_EQ(FindPos("1", ""), 0);
  EXPECT_EQ(FindPos(BytesOf({0}), BytesOf({'a', 0})), 2);
}

TEST(ToCString, KeepsEmbeddedNuls) {
  EXPECT_EQ(ToCString(BytesOf({'A', 0, 'B'})), std::string("A\0B", 3));
  EXPECT_EQ(ToCString(CChrArr()), "");
}

// Sentinels around the field show any byte written beyond n+1.
using Field = std::array<char, 8>;
Field Sentinels() {
  Field field;
  field.fill('#');
  return field;
}

TEST(FixedTextFields, ToFixedTextCutsAndZeroFills) {
  Field field = Sentinels();
  ToFixedText(field.data(), kFiveLetters, 3);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("ABC\0####", 8));

  field = Sentinels();
  ToFixedText(field.data(), "A", 3);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("A\0\0\0####", 8));

  field = Sentinels();
  ToFixedText(field.data(), BytesOf({'A', 0, 'B'}), 3);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("A\0B\0####", 8));
}

TEST(FixedTextFields, CopyTextStopsAtTheTerminatorAndAtN) {
  Field field = Sentinels();
  CopyText(field.data(), "ABCDE", 3);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("ABC\0####", 8));

  field = Sentinels();
  CopyText(field.data(), "A", 4);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("A\0\0\0\0###", 8));

  field = Sentinels();
  CopyText(field.data(), nullptr, 2);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("\0\0\0#####", 8));
}

TEST(FixedTextFields, ZeroWidthWritesOnlyTheTerminator) {
  Field field = Sentinels();
  ToFixedText(field.data(), kFiveLetters, 0);
  CopyText(field.data() + 1, "AB", 0);
  EXPECT_EQ(std::string(field.data(), field.size()), std::string("\0\0######", 8));
}

std::string g_shownText;
void RecordMessage(const char* text) {
  g_shownText = text;
}

TEST(ShowMessage, ShowsTheTextAndReturnsZero) {
  platform::SetMessageHandler(&RecordMessage);
  EXPECT_EQ(ShowMessage("Brak odpowiedzi"), 0);
  EXPECT_EQ(g_shownText, "Brak odpowiedzi");
  EXPECT_EQ(ShowMessage(CChrArr("Port COM1")), 0);
  EXPECT_EQ(g_shownText, "Port COM1");
  platform::SetMessageHandler(nullptr);
}

}  // namespace
}  // namespace zelvane
