// Checks the code page tables against the C library's own converters, which exist
// where iconv does (not on Windows).
#if __has_include(<iconv.h>)

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "buffer_test_support.h"
#include "buffers/code_pages.h"

namespace zelvane {
namespace {

std::string Iconv(const char* from, const char* to, std::string text) {
  const iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "no converter from " << from << " to " << to;
    return {};
  }
  std::string result(text.size() * 4, '\0');
  char* in = text.data();
  std::size_t inLeft = text.size();
  char* out = result.data();
  std::size_t outLeft = result.size();
  const std::size_t converted = iconv(converter, &in, &inLeft, &out, &outLeft);
  iconv_close(converter);
  EXPECT_NE(converted, static_cast<std::size_t>(-1)) << "cannot convert to " << to;
  result.resize(result.size() - outLeft);
  return result;
}

// In the order Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż, as UTF-8.
const std::string kPolishLettersUtf8 =
    "\u0104\u0106\u0118\u0141\u0143\u00D3\u015A\u0179\u017B"
    "\u0105\u0107\u0119\u0142\u0144\u00F3\u015B\u017A\u017C";

TEST(CodePagesAgainstIconv, Cp852LettersMatch) {
  const std::string windows1250 = Iconv("UTF-8", "CP1250", kPolishLettersUtf8);
  const std::string ibm852 = Iconv("UTF-8", "CP852", kPolishLettersUtf8);
  ASSERT_EQ(windows1250.size(), 18u);
  ASSERT_EQ(ibm852.size(), 18u);
  EXPECT_EQ(Contents(ToCp852(windows1250)), ibm852);
  EXPECT_EQ(Contents(FromCp852(ibm852)), windows1250);
}

}  // namespace
}  // namespace zelvane

#endif
