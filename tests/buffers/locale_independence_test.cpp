#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "buffer_test_support.h"
#include "buffers/field_format.h"
#include "comma_locale.h"

namespace zelvane {
namespace {

// A host that set Polish regional settings must still get "." in device fields.
class UnderACommaLocale : public testing::Test {
 protected:
  void SetUp() override {
    if (!m_locale.Entered()) GTEST_SKIP() << "no locale with a decimal comma on this machine";
    char probe[8];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    ASSERT_STREQ(probe, "1,5") << "the locale does not reach formatted output";
  }

  CommaLocale m_locale;
};

TEST_F(UnderACommaLocale, FormatFixedWritesAPoint) {
  EXPECT_EQ(Contents(FormatFixed(1234.5, 11, 2)), "    1234.50");
  EXPECT_EQ(Contents(FormatFixed(0.5, 0, 9)), "0.500000");
}

TEST_F(UnderACommaLocale, ToDoubleReadsAPoint) {
  EXPECT_DOUBLE_EQ(ToDouble("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ToDouble(" -0.125e1"), -1.25);
  EXPECT_DOUBLE_EQ(ToDouble("12,5"), 12.0);
}

}  // namespace
}  // namespace zelvane
