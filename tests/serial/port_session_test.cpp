#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/threads.h"
#include "serial/serial_internals.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"

namespace zelvane {
namespace {

namespace comm = platform::comm;
using testing::InspectableSerial;
using testing::kNeedsRunner;
using testing::MessageRecorder;
using testing::PtyDevice;
using testing::Text;

// Remembers the length of every write, to see how a send was cut.
class RecordingSerial : public InspectableSerial {
 public:
  std::uint32_t Write(const void* buffer, std::uint32_t length, std::uint32_t* count,
                      comm::Overlapped* overlapped, std::uint32_t waitMs) override {
    writes.push_back(length);
    return InspectableSerial::Write(buffer, length, count, overlapped, waitMs);
  }
  std::vector<std::uint32_t> writes;
};

class PortSession : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    port = device.Port();
    ASSERT_EQ(serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1), 0);
    ASSERT_EQ(serial.CheckStatus(), 0);
  }
  void TearDown() override { serial.ClosePort(port, 0); }

  // Waits until `count` received bytes are held, so that a test sees them all at once.
  void AwaitArrival(int count) {
    for (int i = 0; i < 400 && serial.BytesAvailable(port) < count; ++i) platform::SleepMs(5);
    ASSERT_GE(serial.BytesAvailable(port), count);
  }

  MessageRecorder messages;
  PtyDevice device;
  RecordingSerial serial;
  int port = 0;
};

TEST_F(PortSession, BytesAfterTheTerminatorWaitForTheNextCall) {
  ASSERT_TRUE(device.Write("AB\rCD\rE"));
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 128, 2)), "AB\r");
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 128, 2)), "CD\r");
  EXPECT_EQ(serial.CheckStatus(), 0);
  // A partial line is not returned, and stays.
  EXPECT_TRUE(serial.ReceiveUntil(port, '\r', 128, 0).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_TIMEOUT);
  ASSERT_TRUE(device.Write("F\r"));
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 128, 2)), "EF\r");
}

TEST_F(PortSession, ReceiveTakesFromThePendingBytesFirst) {
  ASSERT_TRUE(device.Write("12345"));
  AwaitArrival(5);
  ASSERT_EQ(serial.FindTerminator(port, '#'), 0);  // takes the five into the pending bytes
  ASSERT_TRUE(device.Write("6"));
  EXPECT_EQ(Text(serial.Receive(port, 3, 0)), "123");
  EXPECT_EQ(serial.CheckStatus(), 0);
  // Exactly what is pending, without a look at the port where the 6 waits.
  EXPECT_EQ(Text(serial.Receive(port, 2, 0)), "45");
  EXPECT_EQ(Text(serial.Receive(port, 1, 2)), "6");
}

TEST_F(PortSession, ReceiveOnASilentLine) {
  EXPECT_TRUE(serial.Receive(port, 0, 0).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_TIMEOUT);

  ASSERT_TRUE(device.Write("ab"));
  AwaitArrival(2);
  const std::int64_t start = platform::WallClockSeconds();
  EXPECT_TRUE(serial.Receive(port, 4, 1).IsEmpty());
  const std::int64_t waited = platform::WallClockSeconds() - start;
  EXPECT_EQ(serial.CheckStatus(), TE_TIMEOUT);
  EXPECT_GE(waited, 1);
  EXPECT_LE(waited, 3);
  // The incomplete count was not taken.
  EXPECT_EQ(Text(serial.Receive(port, 2, 0)), "ab");
}

TEST_F(PortSession, ReceiveRefusesBadArguments) {
  EXPECT_TRUE(serial.Receive(17, 1, 0).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
  EXPECT_TRUE(serial.Receive(port, 1025, 0).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
  EXPECT_TRUE(serial.ReceiveUntil(port, '\r', 1025, 0).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
  EXPECT_EQ(serial.Send(port, CChrArr(), 1), 0);
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
}

TEST_F(PortSession, LineWithoutTerminatorOverflowsAt128) {
  ASSERT_TRUE(device.Write(std::string(128, 'x')));
  const CChrArr line = serial.ReceiveUntil(port, '\r', 128, 2);
  EXPECT_EQ(line.GetSize(), 128);
  EXPECT_EQ(serial.CheckStatus(), TE_OVERFLOW);
  EXPECT_EQ(serial.BytesAvailable(port), 0);
}

TEST_F(PortSession, SendCutsTheDataIntoPiecesOfTheOutputSize) {
  std::string data;
  for (int i = 0; i < 2500; ++i) data += static_cast<char>('a' + i % 26);
  EXPECT_EQ(serial.Send(port, CChrArr(data), 5), 2500);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_EQ(serial.writes, (std::vector<std::uint32_t>{1024, 1024, 452}));
  EXPECT_EQ(device.Read(2500, 5000), data);

  // The piece size follows the output size of the open; 1024 there keeps the last.
  for (const int outputSize : {1000, 1024}) {
    serial.ClosePort(port, 0);
    ASSERT_EQ(serial.OpenPort(port, 1024, outputSize, 9600, 8, 'N', 1), 0);
    serial.writes.clear();
    EXPECT_EQ(serial.Send(port, CChrArr(data), 5), 2500);
    EXPECT_EQ(serial.writes, (std::vector<std::uint32_t>{1000, 1000, 500})) << outputSize;
    EXPECT_EQ(device.Read(2500, 5000), data);
  }
}

TEST_F(PortSession, OpenPortRefusals) {
  EXPECT_EQ(serial.OpenPort(17, 1024, 1024, 9600, 8, 'N', 1), TE_PARAM);
  EXPECT_EQ(g_nProbeError, TE_PARAM);
  EXPECT_EQ(serial.OpenPort(PtyDevice::MissingPort(), 1024, 1024, 9600, 8, 'N', 1), TE_NOPORT);
  EXPECT_EQ(serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1), TE_CONFL);
  // Queues the 16-bit counts cannot hold, refused before the port is touched.
  InspectableSerial other;
  for (const auto& [in, out] : {std::pair{32768, 1024}, {1024, 32768}, {0, 1024}, {1024, -1}}) {
    EXPECT_EQ(other.OpenPort(PtyDevice::MissingPort(), in, out, 9600, 8, 'N', 1), TE_PARAM)
        << in << ", " << out;
  }
  // The port opened first still works.
  EXPECT_TRUE(serial.GetPortOpen());
  ASSERT_TRUE(device.Write("ok\r"));
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 16, 2)), "ok\r");
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(PortSession, SetBaudRate) {
  EXPECT_EQ(serial.SetBaudRate(port, 0), 9600);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_EQ(serial.LineState().BaudRate, 9600u);

  EXPECT_EQ(serial.SetBaudRate(port, 14400), 0);
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
  EXPECT_EQ(serial.SetBaudRate(0, 19200), 0);
  EXPECT_EQ(serial.CheckStatus(), TE_PARAM);
  EXPECT_EQ(serial.Profile().baudRate, 9600);

  EXPECT_EQ(serial.SetBaudRate(port, 19200), 9600);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_TRUE(serial.GetPortOpen());
  EXPECT_EQ(serial.LineState().BaudRate, 19200u);
  EXPECT_EQ(serial.Profile().baudRate, 19200);
}

TEST_F(PortSession, LineSettersReopenWithTheNewSettingAndDropPendingBytes) {
  ASSERT_TRUE(device.Write("old"));
  AwaitArrival(3);
  const bool lineReadable = PtyDevice::ReportsLineStateAsSet();
  EXPECT_EQ(serial.SetXonXoff(port, 1), 0);
  EXPECT_EQ(serial.m_nHandshaking, 1);
  if (lineReadable) {
    EXPECT_TRUE(serial.LineState().fOutX);
  }
  EXPECT_EQ(serial.SetXonXoff(port, 1), 1);
  EXPECT_EQ(serial.SetXonXoff(port, 0), 1);

  EXPECT_EQ(serial.SetCtsFlow(port, 1), 0);
  EXPECT_EQ(serial.m_nHandshaking, 0);
  if (lineReadable) {
    EXPECT_TRUE(serial.LineState().fOutxCtsFlow);
  }
  EXPECT_EQ(serial.SetRtsMode(port, 2), 1);
  EXPECT_EQ(serial.m_nHandshaking, 2);
  if (lineReadable) {
    EXPECT_EQ(serial.LineState().fRtsControl, comm::kRtsControlHandshake);
  }
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_TRUE(serial.GetPortOpen());

  ASSERT_TRUE(device.Write("new\r"));
  EXPECT_EQ(Text(serial.ReceiveUntil(port, '\r', 16, 2)), "new\r");
}

TEST_F(PortSession, ClosedPortKeepsWhatWasSentAndReportsNotOpen) {
  // The last answer of a transfer, sent right before the close: the device reads it
  // only afterwards.
  ASSERT_EQ(serial.Send(port, CChrArr("ACK\r"), 1), 4);
  serial.ClosePort(port, 1);
  EXPECT_EQ(device.Read(4, 2000), "ACK\r");
  EXPECT_FALSE(serial.GetPortOpen());
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
  EXPECT_TRUE(serial.Receive(port, 1, 1).IsEmpty());
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
  EXPECT_EQ(serial.BytesAvailable(port), 0);
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
  EXPECT_EQ(serial.WaitOutputDrained(port, 1), TE_NOTOPEN);
  serial.FlushInput(port);
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
}

TEST_F(PortSession, FlushInputDropsPendingAndReceivedBytes) {
  ASSERT_TRUE(device.Write("abc\rdef"));
  AwaitArrival(7);
  ASSERT_EQ(serial.FindTerminator(port, '\r'), 4);
  serial.FlushInput(port);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_EQ(serial.BytesAvailable(port), 0);
}

}  // namespace
}  // namespace zelvane
