#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "buffer_test_support.h"
#include "buffers/field_format.h"

namespace zelvane {
namespace {

TEST(ToDouble, ReadsSignDigitsPointAndExponent) {
  EXPECT_DOUBLE_EQ(ToDouble("12.5"), 12.5);
  EXPECT_DOUBLE_EQ(ToDouble("-0.25"), -0.25);
  EXPECT_DOUBLE_EQ(ToDouble("+7"), 7.0);
  EXPECT_DOUBLE_EQ(ToDouble("1.5e3"), 1500.0);
  EXPECT_DOUBLE_EQ(ToDouble("25E-2"), 0.25);
  EXPECT_DOUBLE_EQ(ToDouble("2e+2"), 200.0);
  EXPECT_DOUBLE_EQ(ToDouble(".5"), 0.5);
  EXPECT_DOUBLE_EQ(ToDouble("5."), 5.0);
  EXPECT_DOUBLE_EQ(ToDouble("000123"), 123.0);
}

TEST(ToDouble, SkipsLeadingWhiteSpace) {
  EXPECT_DOUBLE_EQ(ToDouble(" \t\r\n 3.25"), 3.25);
  EXPECT_DOUBLE_EQ(ToDouble("   -4"), -4.0);
}

TEST(ToDouble, StopsAtTheFirstByteThatCannotContinue) {
  EXPECT_DOUBLE_EQ(ToDouble("12.5,7 kg"), 12.5);
  EXPECT_DOUBLE_EQ(ToDouble("12,5"), 12.0);
  EXPECT_DOUBLE_EQ(ToDouble("1.2.3"), 1.2);
  EXPECT_DOUBLE_EQ(ToDouble("3e"), 3.0);
  EXPECT_DOUBLE_EQ(ToDouble("3e+"), 3.0);
  EXPECT_DOUBLE_EQ(ToDouble("4E-x"), 4.0);
  EXPECT_DOUBLE_EQ(ToDouble("0x10"), 0.0);
  EXPECT_DOUBLE_EQ(ToDouble(CChrArr(std::string("7\0"
                                                "5",
                                                3))),
                   7.0);
  EXPECT_DOUBLE_EQ(ToDouble(CChrArr(std::string("7.\0"
                                                "5",
                                                4))),
                   7.0);
}

TEST(ToDouble, TextWithoutANumberGivesZero) {
  EXPECT_EQ(ToDouble(CChrArr()), 0.0);
  EXPECT_EQ(ToDouble("kg 12"), 0.0);
  EXPECT_EQ(ToDouble("-"), 0.0);
  EXPECT_EQ(ToDouble("."), 0.0);
  EXPECT_EQ(ToDouble("+.e5"), 0.0);
  EXPECT_EQ(ToDouble("inf"), 0.0);
  EXPECT_EQ(ToDouble("+-5"), 0.0);
}

TEST(ToDouble, ValuesBeyondTheRangeOfDouble) {
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(ToDouble("1e999"), infinity);
  EXPECT_EQ(ToDouble("-1e999"), -infinity);
  EXPECT_EQ(ToDouble(std::string(400, '9').c_str()), infinity);
  EXPECT_EQ(ToDouble(("1" + std::string(400, '0') + "e-80").c_str()), infinity);
  EXPECT_EQ(ToDouble("1e-999"), 0.0);
  EXPECT_EQ(ToDouble(("0." + std::string(400, '0') + "1e+60").c_str()), 0.0);
  EXPECT_EQ(ToDouble("1e99999999999999999999999"), infinity);
  EXPECT_EQ(ToDouble(("1" + std::string(300, '0') + "e9223372036854775807").c_str()), infinity);
  EXPECT_EQ(ToDouble(("0." + std::string(300, '0') + "1e-9223372036854775807").c_str()), 0.0);
  EXPECT_GT(ToDouble("1e-310"), 0.0);
  EXPECT_DOUBLE_EQ(ToDouble("1.7976931348623157e308"), std::numeric_limits<double>::max());
}

}  // namespace
}  // namespace zelvane
