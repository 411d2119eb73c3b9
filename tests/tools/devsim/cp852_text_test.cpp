#include "cp852_text.h"

#include <gtest/gtest.h>

#include <string>

namespace zelvane::devsim {
namespace {

std::string Utf8(const char8_t* text) {
  return reinterpret_cast<const char*>(text);
}

TEST(Cp852Text, DisplayBytesBecomeUtf8) {
  const struct {
    const char* cp852;
    std::string utf8;
  } cases[] = {
      {"CENA 1.00", "CENA 1.00"},
      {"\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD", Utf8(u8"ĄĆĘŁŃÓŚŹŻ")},
      {"\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE", Utf8(u8"ąćęłńóśźż")},
      {"z\x88", Utf8(u8"zł")},
      {"\x80 5\xB9\xFF", "? 5??"},
      {"", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Cp852ToUtf8(c.cp852), c.utf8) << c.utf8;
  }
}

}  // namespace
}  // namespace zelvane::devsim
