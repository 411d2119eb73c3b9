#include <gtest/gtest.h>

#include <string>

#include "buffer_test_support.h"
#include "buffers/code_pages.h"
#include "buffers/cp1250_literal.h"

namespace zelvane {
namespace {

// The letters in the order Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż.
constexpr Cp1250Literal kPolishLetters(u8"ĄĆĘŁŃÓŚŹŻąćęłńóśźż");

// Mazovia, as published in the code chart of the "Mazovia encoding" article of the
// English Wikipedia: 86 ą, 8D ć, 8F Ą, 90 Ę, 91 ę, 92 ł, 95 Ć, 98 Ś, 9C Ł, 9E ś,
// A0 Ź, A1 Ż, A2 ó, A3 Ó, A4 ń, A5 Ń, A6 ź, A7 ż; every other byte as in code page 437.
const CChrArr kPolishLettersMazovia =
    BytesOf({0x8F, 0x95, 0x90, 0x9C, 0xA5, 0xA3, 0x98, 0xA0, 0xA1, 0x86, 0x8D, 0x91, 0x92, 0xA4,
             0xA2, 0x9E, 0xA6, 0xA7});

CChrArr AllBytes() {
  CChrArr bytes;
  for (int byte = 0; byte < 256; ++byte) bytes += static_cast<std::uint8_t>(byte);
  return bytes;
}

bool IsPolishLetterOf(const CChrArr& letters, std::uint8_t byte) {
  return letters.Find(byte) >= 0;
}

using Conversion = CChrArr (*)(CChrArr);

struct ConversionCase {
  const char* name;
  Conversion convert;
  CChrArr sourceLetters;
};

class EveryConversion : public testing::TestWithParam<ConversionCase> {};

TEST_P(EveryConversion, KeepsTheLengthAndPassesOtherBytes) {
  const ConversionCase& conversion = GetParam();
  EXPECT_TRUE(conversion.convert(CChrArr()).IsEmpty());
  EXPECT_EQ(Contents(conversion.convert("Cena: 12.50 PLN\r\n")), "Cena: 12.50 PLN\r\n");

  const CChrArr converted = conversion.convert(AllBytes());
  ASSERT_EQ(converted.GetSize(), 256);
  for (int byte = 0; byte < 256; ++byte) {
    if (IsPolishLetterOf(conversion.sourceLetters, static_cast<std::uint8_t>(byte))) continue;
    EXPECT_EQ(converted[byte], byte) << "byte " << byte;
  }
}

INSTANTIATE_TEST_SUITE_P(
    CodePages, EveryConversion,
    testing::Values(ConversionCase{"ToCp852", &ToCp852, CChrArr(kPolishLetters.c_str())},
                    ConversionCase{"ToMazovia", &ToMazovia, CChrArr(kPolishLetters.c_str())},
                    ConversionCase{"ToAsciiFold", &ToAsciiFold, CChrArr(kPolishLetters.c_str())},
                    ConversionCase{"FromCp852", &FromCp852, ToCp852(kPolishLetters.c_str())},
                    ConversionCase{"FromMazovia", &FromMazovia, kPolishLettersMazovia}),
    [](const testing::TestParamInfo<ConversionCase>& info) { return info.param.name; });

TEST(CodePages, MazoviaLettersMatchThePublishedTable) {
  EXPECT_EQ(Contents(ToMazovia(kPolishLetters.c_str())), Contents(kPolishLettersMazovia));
  EXPECT_EQ(Contents(FromMazovia(kPolishLettersMazovia)), kPolishLetters.c_str());
}

TEST(CodePages, AsciiFoldDropsTheDiacritics) {
  EXPECT_EQ(Contents(ToAsciiFold(kPolishLetters.c_str())), "ACELNOSZZacelnoszz");
  constexpr Cp1250Literal kZet(u8"ŹŻźż");
  EXPECT_EQ(Contents(ToAsciiFold(kZet.c_str())), "ZZzz");
}

TEST(CodePages, OnlyThePolishLettersOfATextChange) {
  constexpr Cp1250Literal kPleaseWait(u8"Proszę czekać...");
  std::string expected = kPleaseWait.c_str();
  expected[5] = '\xA9';
  expected[12] = '\x86';
  EXPECT_EQ(Contents(ToCp852(kPleaseWait.c_str())), expected);
}

TEST(CodePages, ConvertsEachByteOnlyOnce) {
  // 0xA5 is Ą in code page 1250 and ą in code page 852, where ą would go on to 0xB9.
  EXPECT_EQ(Contents(ToCp852("\xA5")), "\xA4");
  // 0xA4 (the currency sign in code page 1250) is no letter there, though 852 reads Ą.
  EXPECT_EQ(Contents(ToCp852("\xA4")), "\xA4");
  // ü has another place in 852 but is not one of the converted letters.
  EXPECT_EQ(Contents(ToCp852("\xFC")), "\xFC");
  // 0x8F is Ć in 852 and Ą in Mazovia: the Mazovia byte must not come out as Ć.
  EXPECT_EQ(Contents(FromMazovia("\x8F")), "\xA5");
}

TEST(CodePages, BackConversionRestoresTheText) {
  constexpr Cp1250Literal kText(u8"Zażółć gęślą jaźń, ŻÓŁW & ĄĆĘŁŃÓŚŹŻ 0-9");
  EXPECT_EQ(Contents(FromCp852(ToCp852(kText.c_str()))), kText.c_str());
  EXPECT_EQ(Contents(FromMazovia(ToMazovia(kText.c_str()))), kText.c_str());
}

}  // namespace
}  // namespace zelvane
