#include "cp1250_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvane::host {
namespace {

std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

TEST(Cp1250Text, PolishLettersBecomeUtf8) {
  EXPECT_EQ(Cp1250ToUtf8("\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF"), Utf8(u8"ĄĆĘŁŃÓŚŹŻ"));
  EXPECT_EQ(Cp1250ToUtf8("\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF"), Utf8(u8"ąćęłńóśźż"));
  EXPECT_EQ(Cp1250ToUtf8("Brak urz\xB9"
                         "dze\xF1 drugiej generacji"),
            Utf8(u8"Brak urządzeń drugiej generacji"));
}

TEST(Cp1250Text, OtherBytesAboveAsciiBecomeQuestionMarks) {
  EXPECT_EQ(Cp1250ToUtf8("\x80 5\xA7"), "? 5?");
}

TEST(Cp1250Text, NullIsEmpty) {
  EXPECT_EQ(Cp1250ToUtf8(nullptr), "");
}

}  // namespace
}  // namespace zelvane::host
