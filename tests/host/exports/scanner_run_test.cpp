// Scanner runs through the exported interface, with the scanner played on the other end
// of a pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/exports/device_run.h"
#include "host/exports/forwarding_switch.h"
#include "host/exports/host_events.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using testing::HostEvents;
using Notice = HostEvents::Notice;

using testing::kForwarding;

using ScannerRun = testing::DeviceRun;

TEST_F(ScannerRun, MetrologicCodesReachTheHostOnePerPoll) {
  ASSERT_EQ(Start(402, device.Port()), 1);
  ASSERT_TRUE(device.Write("12345\r"));
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(events.Codes().empty()) << "a line without its LF must wait";
  ASSERT_TRUE(device.Write("\n"));
  ASSERT_TRUE(events.WaitForCodes(1, 2s));

  ASSERT_TRUE(device.Write("ABCDEFGHIJKLMNOPQRSTUVWXY\r\n\r\nsecond\r\n"));
  ASSERT_TRUE(events.WaitForCodes(3, 3s));
  const std::vector<std::string> codes = events.Codes();
  EXPECT_EQ(codes, (std::vector<std::string>{"12345", "ABCDEFGHIJKLMNOPQRST", "second"}));
  // The terminator-only line took a poll of its own between the two codes.
  const std::vector<long long> times = events.CodeTimes();
  EXPECT_GE(times[2] - times[1], 700) << "codes of one burst arrive a poll apart";

  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(ScannerRun, NoiseBeyond128BytesIsDroppedAnd128AreKept) {
  ASSERT_EQ(Start(403, device.Port()), 1);
  ASSERT_TRUE(device.Write(std::string(129, 'n')));
  std::this_thread::sleep_for(1200ms);
  ASSERT_TRUE(device.Write("after129\r\n"));
  ASSERT_TRUE(events.WaitForCodes(1, 2s));

  // 128 bytes stay pending, so the next line makes one overlong line that is dropped.
  ASSERT_TRUE(device.Write(std::string(128, 'n')));
  std::this_thread::sleep_for(1200ms);
  ASSERT_TRUE(device.Write("after128\r\n"));
  std::this_thread::sleep_for(1200ms);
  ASSERT_TRUE(device.Write("next\r\n"));
  ASSERT_TRUE(events.WaitForCodes(2, 2s));
  EXPECT_EQ(events.Codes(), (std::vector<std::string>{"after129", "next"}));
}

TEST_F(ScannerRun, LinesEndingInLineFeedAloneAreNeverDelivered) {
  ASSERT_EQ(Start(404, device.Port()), 1);
  ASSERT_TRUE(device.Write("111\n222\n333\n"));
  std::this_thread::sleep_for(1500ms);
  EXPECT_TRUE(events.Codes().empty());
}

TEST_F(ScannerRun, TyssoLinesEndAtTheCarriageReturn) {
  ASSERT_EQ(Start(400, device.Port()), 1);
  ASSERT_TRUE(device.Write("12345\r678\r"));
  ASSERT_TRUE(events.WaitForCodes(2, 3s));
  EXPECT_EQ(events.Codes(), (std::vector<std::string>{"12345", "678"}));
}

TEST_F(ScannerRun, BreakEndsTheRunWithinOnePoll) {
  ASSERT_EQ(Start(402, device.Port()), 1);
  std::this_thread::sleep_for(300ms);
  const long long took = BreakAndWait();
  std::printf("break to close notice: %lld ms\n", took);
  EXPECT_LT(took, 1500);
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(ScannerRun, MissingPortRefusesTheRunWithTwoPortNotices) {
  const char* expected = "Port szeregowy o danym numerze nie istnieje";
  EXPECT_EQ(Start(402, testing::PtyDevice::MissingPort()), 0);
  EXPECT_EQ(events.Notices(),
            (std::vector<Notice>{{1, "", 0, 0}, {8, expected, 0, -2}, {8, expected, 0, -2}}));
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), -2);
    EXPECT_STREQ(ScanerErrMsg(), expected);
    // A code outside the registry keeps the current job's own error.
    EXPECT_EQ(Start(406, device.Port()), 0);
    EXPECT_EQ(ScanerError(), -2);
  }
  // The service still works: the next run on a real port starts.
  ASSERT_EQ(Start(402, device.Port()), 1);
}

TEST_F(ScannerRun, RepeatedRunOfTheRunningJobStartsNothing) {
  ASSERT_EQ(Start(402, device.Port()), 1);
  EXPECT_EQ(Start(405, device.Port()), 1);
  std::this_thread::sleep_for(700ms);
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(ScannerRun, BarCodeInfoIsAcceptedAndIgnoredByScanners) {
  HostLineRecord record{};
  EXPECT_EQ(ScanerSetBarCodeInfo(&record), 1);
}

}  // namespace
}  // namespace zelvane
