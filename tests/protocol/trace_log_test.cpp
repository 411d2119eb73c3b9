#include "protocol/trace_log.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "buffers/chr_arr.h"
#include "protocol/fixed_clock.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

using testing::FixedClock;
using testing::LocalSecond;
using testing::SetFixedClock;

class TraceLogTest : public ::testing::Test {
 protected:
  void SetUp() override { SetFixedClock(LocalSecond(3, 7, 14, 5, 9)); }

  static constexpr const char* kTraceName = "QXDATA_0307_140509.txt";

  testing::TempDirectoryOverride m_temp;
  TraceLog m_trace{&FixedClock};
};

TEST_F(TraceLogTest, IsNamedAfterTheLocalTimeOfItsOpening) {
  m_trace.Open();
  EXPECT_TRUE(m_trace.IsOpen());
  EXPECT_EQ(m_temp.Names(), std::vector<std::string>{kTraceName});
}

TEST_F(TraceLogTest, LinesFromTheDeviceAccumulateWithArrowAndCrLf) {
  m_trace.Open();
  m_trace.Line("S +  0.125 kg", TraceLog::kFromDevice);
  CChrArr binary("\xB9");
  binary += static_cast<std::uint8_t>(0x00);
  m_trace.Line(binary, TraceLog::kFromDevice);
  m_trace.Close();

  constexpr char kExpected[] = " -> S +  0.125 kg\r\n -> \xB9\0\r\n";
  EXPECT_EQ(m_temp.Read(kTraceName), std::string(kExpected, sizeof kExpected - 1));
}

TEST_F(TraceLogTest, WritesOnlyWhileOpen) {
  m_trace.Line("before", TraceLog::kFromDevice);
  m_trace.Open();
  m_trace.Line("inside", TraceLog::kFromDevice);
  m_trace.Close();
  m_trace.Line("after", TraceLog::kFromDevice);

  EXPECT_FALSE(m_trace.IsOpen());
  EXPECT_EQ(m_temp.Read(kTraceName), " -> inside\r\n");
}

TEST_F(TraceLogTest, AFailedOpenTracesNothing) {
  m_temp.PointAtMissingDirectory();
  m_trace.Open();
  m_temp.PointAtDirectory();
  m_trace.Line("lost", TraceLog::kFromDevice);

  EXPECT_FALSE(m_trace.IsOpen());
  EXPECT_TRUE(m_temp.Names().empty());
}

TEST_F(TraceLogTest, OtherDirectionsHaveNoLine) {
  m_trace.Open();
  m_trace.Line("sent", 'S');
  m_trace.Close();
  EXPECT_EQ(m_temp.Read(kTraceName), "");
}

TEST_F(TraceLogTest, ASecondRunInTheSameSecondStartsTheFileAnew) {
  m_trace.Open();
  m_trace.Line("first run", TraceLog::kFromDevice);
  m_trace.Close();
  m_trace.Open();
  m_trace.Line("second run", TraceLog::kFromDevice);
  m_trace.Close();
  EXPECT_EQ(m_temp.Read(kTraceName), " -> second run\r\n");
}

TEST_F(TraceLogTest, OpeningAgainMovesToANewFile) {
  m_trace.Open();
  m_trace.Line("first", TraceLog::kFromDevice);
  SetFixedClock(LocalSecond(12, 31, 23, 59, 58));
  m_trace.Open();
  m_trace.Line("second", TraceLog::kFromDevice);
  m_trace.Close();

  EXPECT_EQ(m_temp.Read(kTraceName), " -> first\r\n");
  EXPECT_EQ(m_temp.Read("QXDATA_1231_235958.txt"), " -> second\r\n");
}

TEST_F(TraceLogTest, ATimeWithoutLocalTimeLeavesTheTimeOutOfTheName) {
  SetFixedClock(std::numeric_limits<std::int64_t>::max());
  m_trace.Open();
  EXPECT_TRUE(m_trace.IsOpen());
  EXPECT_EQ(m_temp.Names(), std::vector<std::string>{"QXDATA_.txt"});
}

}  // namespace
}  // namespace zelvane
