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
// broken and waited for at the end, and no message box may have been shown.
class DeviceRun : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    ScanerDelete();
    ASSERT_EQ(ScanerCreate(nullptr), 1);
  }

  void TearDown() override {
    ScanerBreakJob();
    if (m_started) events.WaitForNotice(11, std::chrono::seconds(3));
    ScanerDelete();
    EXPECT_EQ(events.Messages(), std::vector<std::string>{}) << "no message box is expected";
  }

  int32_t Start(int32_t deviceCode, int32_t port) {
    RunRequest request{};
    request.device = deviceCode;
    request.port = port;
    const int32_t started = ScanerRun(&request, &HostEvents::OnCode);
    m_started = m_started || started == 1;
    return started;
  }

  // Breaks the run and waits for its close notice; the milliseconds that took.
  long long BreakAndWait() {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ScanerBreakJob(), 0);
    EXPECT_TRUE(events.WaitForNotice(11, std::chrono::seconds(3)));
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  }

  MessageRecorder messages;
  PtyDevice device;
  HostEvents events;

 private:
  bool m_started = false;
};

}  // namespace zelvane::testing
