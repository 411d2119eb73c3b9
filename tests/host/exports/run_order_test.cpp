// What a host that has only the original exports may do between runs: run the next
// job right after a break, run another device while a job runs, or create the service
// again while a job runs. The devices are played on one pseudo-terminal.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "host/exports/device_run.h"
#include "host/exports/forwarding_switch.h"
#include "host/exports/host_events.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;

using testing::kForwarding;

struct Device {
  const char* name;
  int32_t code;
  const char* line;     // what the device sends
  const char* reading;  // what the host receives of it
};
constexpr Device kScanner{"scanner", 402, "5901234123457\r\n", "5901234123457"};
constexpr Device kScale{"Radwag scale", 601, "S   1.234 kg  \r\n", "2700000012340"};

using RunOrder = testing::DeviceRun;

TEST_F(RunOrder, ARunRightAfterABreakStartsOnceTheBrokenJobHasEnded) {
  std::size_t started = 0;
  for (const auto& [first, next] :
       {std::pair{kScanner, kScale}, std::pair{kScanner, kScanner}, std::pair{kScale, kScanner}}) {
    SCOPED_TRACE(std::string(first.name) + " broken, then " + next.name);
    ASSERT_EQ(Start(first.code, device.Port()), 1);
    std::this_thread::sleep_for(200ms);
    EXPECT_EQ(ScanerBreakJob(), 0);
    EXPECT_EQ(Start(next.code, device.Port()), 1);
    started += 2;
    // The broken run had ended before the new one opened the port.
    ASSERT_TRUE(events.WaitForNotice(1, 2s, started));
    EXPECT_TRUE(events.WaitForNotice(11, 0s, started - 1));

    ASSERT_TRUE(device.Write(next.line));
    ASSERT_TRUE(events.WaitForCodes(started / 2, 3s));
    EXPECT_EQ(events.Codes().back(), next.reading);
    ASSERT_GE(BreakAndWait(), 0);
  }
  const std::vector<int> oneRun{1, 10, 11};
  std::vector<int> expected;
  for (std::size_t run = 0; run < started; ++run)
    expected.insert(expected.end(), oneRun.begin(), oneRun.end());
  EXPECT_EQ(events.NoticeCodes(), expected);
}

TEST_F(RunOrder, AnotherDeviceIsRefusedWhileAJobRunsUnbroken) {
  ASSERT_EQ(Start(kScanner.code, device.Port()), 1);
  for (const int32_t other : {kScale.code, 602, 406}) {
    EXPECT_EQ(Start(other, device.Port()), 0) << other;
  }
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), 999999);
    EXPECT_STREQ(ScanerErrMsg(),
                 "Trwa praca innego urz\xB9"
                 "dzenia (skaner Metrologic); najpierw przerwij j\xB9");
  }
  // The refusals touched neither the port nor the running scanner's request.
  ASSERT_TRUE(device.Write(kScanner.line));
  ASSERT_TRUE(events.WaitForCodes(1, 3s));
  EXPECT_EQ(events.Codes(), std::vector<std::string>{kScanner.reading});
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(RunOrder, BreakStopsTheRunningJobAfterASecondCreate) {
  ASSERT_EQ(Start(kScale.code, device.Port()), 1);
  std::this_thread::sleep_for(700ms);
  // A second create makes the scanner job current; the break must still reach the scale.
  EXPECT_EQ(ScanerCreate(nullptr), 0);
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

}  // namespace
}  // namespace zelvane
