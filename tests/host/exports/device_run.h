#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "host/exports/host_events.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "zelvane.h"

namespace zelvane::testing {

// A device played on a pseudo-terminal and a created service; every run it started is
// broken and waited for at the end (the test fails when one does not end), so that no
// test begins while a run of an earlier one still sends notices. No message box may
// have been shown.
class DeviceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    ScanerDelete();
    ASSERT_EQ(ScanerCreate(nullptr), 1);
  }

  void TearDown() override {
    if (runs.AnyPending()) {
      EXPECT_GE(runs.BreakAndWait(kRunEndLimit), 0) << "a run of this test did not end";
    }
    ScanerDelete();
    EXPECT_EQ(events.Messages(), std::vector<std::string>{}) << "no message box is expected";
  }

  int32_t Start(int32_t deviceCode, int32_t port) {
    RunRequest request{};
    request.device = deviceCode;
    request.port = port;
    return runs.Count([&] { return ScanerRun(&request, &HostEvents::OnCode); });
  }

  // Breaks the run and waits for its close notice; the milliseconds that took.
  long long BreakAndWait() {
    const long long took = runs.BreakAndWait(kRunEndLimit);
    EXPECT_GE(took, 0) << "the run did not end";
    return took;
  }

  MessageRecorder messages;
  PtyDevice device;
  HostEvents events;
  StartedRuns runs{events};
};

}  // namespace zelvane::testing
