#include <gtest/gtest.h>

#include <string>

#include "buffers/chr_arr.h"
#include "protocol/line_reader.h"

namespace zelvane {
namespace {

TEST(WithoutLineEnd, DropsTheLineFeedAndACarriageReturnRightBeforeIt) {
  const struct {
    std::string line;
    std::string text;
  } cases[] = {
      {"12345\r\n", "12345"},
      {"12345\n", "12345"},
      {"12345\r", "12345"},
      {"12345", "12345"},
      {"\r\n", ""},
      {"\n", ""},
      {"", ""},
      {"1\n\r", "1\n"},
      {"1\r\r\n", "1\r"},
  };
  for (const auto& c : cases) {
    const CChrArr text = WithoutLineEnd(CChrArr(c.line.c_str()));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(text.GetData()),
                          static_cast<std::size_t>(text.GetSize())),
              c.text)
        << c.line;
  }
}

}  // namespace
}  // namespace zelvane
