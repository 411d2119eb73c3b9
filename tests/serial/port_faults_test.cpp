#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "buffers/byte_variant_conversion.h"
#include "platform/clock.h"
#include "serial/serial_internals.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"

namespace zelvane {
namespace {

using testing::DelayedCall;
using testing::InspectableSerial;
using testing::kNeedsRunner;
using testing::MessageRecorder;
using testing::PtyDevice;
using testing::Text;

// Generous: the point is that the wait ends at the break, not at its own limit of
// several seconds. The measured delay is printed.
constexpr std::uint64_t kBreakNoticedWithinMs = 500;

class PortFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    port = device.Port();
    ASSERT_EQ(serial.OpenPort(port, 1024, 16384, 9600, 8, 'N', 1), 0);
  }
  void TearDown() override { serial.ClosePort(port, 0); }

  // Runs `wait` with a break raised from another thread 100 ms into it; returns how
  // long after the break the wait ended.
  template <typename Wait>
  std::uint64_t BreakDuring(const char* what, Wait wait) {
    DelayedCall breaker(100, [this] { serial.RequestBreak(); });
    EXPECT_TRUE(breaker.Started());
    wait();
    const std::uint64_t returned = platform::TickMilliseconds();
    EXPECT_TRUE(breaker.Wait());
    const std::uint64_t delay = returned - std::min(returned, breaker.DoneAtMs());
    std::printf("[ measured ] %s ended %llu ms after the break\n", what,
                static_cast<unsigned long long>(delay));
    EXPECT_LT(delay, kBreakNoticedWithinMs) << what;
    EXPECT_EQ(serial.CheckStatus(), TE_BREAK) << what;
    EXPECT_TRUE(serial.IsBreakRequested());
    return delay;
  }

  MessageRecorder messages;
  PtyDevice device;
  InspectableSerial serial;
  int port = 0;
};

TEST_F(PortFaults, BreakFromAnotherThreadEndsEveryWait) {
  BreakDuring("ReceiveUntil",
              [this] { EXPECT_TRUE(serial.ReceiveUntil(port, '\r', 128, 5).IsEmpty()); });
  // The flag stays raised until the next open: later waits end at once.
  EXPECT_TRUE(serial.Receive(port, 3, 5).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_BREAK);
  serial.ClosePort(port, 0);

  ASSERT_EQ(serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1), 0);
  EXPECT_FALSE(serial.IsBreakRequested());
  BreakDuring("Receive", [this] { EXPECT_TRUE(serial.Receive(port, 3, 5).IsEmpty()); });
  serial.ClosePort(port, 0);

  ASSERT_EQ(serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1), 0);
  BreakDuring("Pause", [this] { serial.Pause(5.0); });
}

// A pseudo-terminal has no CTS line to wait for: with CTS flow the data leaves at
// once, as it must on every adapter without modem signals.
TEST_F(PortFaults, LineWithoutModemSignalsCountsAsClearToSend) {
  serial.SetCtsFlow(port, 1);
  ASSERT_TRUE(serial.GetPortOpen());
  EXPECT_EQ(serial.Send(port, CChrArr("data"), 1), 4);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_EQ(device.Read(4, 2000), "data");
}

TEST_F(PortFaults, OutputHeldBackByTheDeviceDrainsWhenItReadsAndBreaksEndTheWait) {
  // More than the pseudo-terminals (and under Wine the linking socat) take while
  // nobody reads the other end.
  const CChrArr block('x', 256 * 1024);
  const auto blockSize = static_cast<std::size_t>(block.GetSize());
  serial.PutOutput(ToVariant(block));
  ASSERT_GT(serial.GetOutBufferCount(), 0);
  const std::int64_t start = platform::WallClockSeconds();
  EXPECT_EQ(serial.WaitOutputDrained(port, 1), TE_TIMEOUT);
  EXPECT_GE(platform::WallClockSeconds() - start, 1);

  std::string received;
  {
    DelayedCall reader(0, [&] { received = device.Read(blockSize, 10000); });
    EXPECT_EQ(serial.WaitOutputDrained(port, 10), 0);
  }
  EXPECT_EQ(received.size(), blockSize);

  serial.PutOutput(ToVariant(block));
  BreakDuring("WaitOutputDrained",
              [this] { EXPECT_EQ(serial.WaitOutputDrained(port, 10), TE_BREAK); });
  EXPECT_EQ(serial.WaitOutputDrained(port, 10), TE_BREAK);

  // Closing drops what the device never took instead of waiting for it.
  const std::uint64_t closing = platform::TickMilliseconds();
  serial.ClosePort(port, 0);
  EXPECT_FALSE(serial.GetPortOpen());
  EXPECT_LT(platform::TickMilliseconds() - closing, 1000u);
}

TEST_F(PortFaults, DeviceDisappearingGivesAStatusNotAHangAndTheNextOpenWorks) {
  ASSERT_TRUE(device.Write("AB"));
  ASSERT_EQ(Text(serial.Receive(port, 1, 2)), "A");
  device.Disappear();

  // Waits without a deadline: only the lost line can end them.
  const std::uint64_t start = platform::TickMilliseconds();
  EXPECT_TRUE(serial.ReceiveUntil(port, '\r', 128, -1).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_LINK);
  EXPECT_TRUE(serial.Receive(port, 4, -1).GetSize() <= 1);
  EXPECT_EQ(serial.CheckStatus(), TE_LINK);
  serial.Send(port, "ping", 0);
  serial.ClosePort(port, 0);
  EXPECT_LT(platform::TickMilliseconds() - start, 8000u);
  EXPECT_FALSE(serial.GetPortOpen());

  ASSERT_TRUE(device.Reappear()) << device.Error();
  ASSERT_EQ(serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1), 0);
  ASSERT_TRUE(device.Write("back\r"));
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 128, 2)), "back\r");
}

}  // namespace
}  // namespace zelvane
