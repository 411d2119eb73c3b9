#include "protocol/veduvezid_ecr.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "buffers/chr_arr.h"
#include "buffers/cp1250_literal.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

TEST(ProtocolErrorText, TableAndSerialCodes) {
  const CVeduvezidECR protocol;
  EXPECT_EQ(protocol.ErrorText(0), "System kas fiskalnych - Vask v1.0");
  EXPECT_EQ(protocol.ErrorText(24),
            Cp1250Literal{u8"Kasa odpowiedziała NAK na sekwencję sterującą"}.c_str());
  EXPECT_EQ(protocol.ErrorText(202), "Pod podanym numerem towar nie zdefiniowany");
  for (int unknown : {27, 9999, 1, 104}) {
    EXPECT_EQ(protocol.ErrorText(unknown), Cp1250Literal{u8"Nieokreślony błąd"}.c_str()) << unknown;
  }
  EXPECT_EQ(protocol.ErrorText(-7), "Transmisja przerwana przez u\xBFytkownika");
  EXPECT_EQ(protocol.ErrorText(-2), "Port szeregowy o danym numerze nie istnieje");
}

// Replaces only the open with a speed, as the collectors do.
class SpeedOpeningProtocol : public CVeduvezidECR {
 public:
  using CVeduvezidECR::Open;
  int Open(int port, int speed) override {
    openedPort = port;
    openedSpeed = speed;
    return 1;
  }
  int openedPort = 0;
  int openedSpeed = 0;
};

TEST(ProtocolOpen, DefaultOpenGoesThroughTheReplacedSpeedOpen) {
  SpeedOpeningProtocol protocol;
  EXPECT_EQ(protocol.Open(4), 1);
  EXPECT_EQ(protocol.openedPort, 4);
  EXPECT_EQ(protocol.openedSpeed, 9600);
}

TEST(ProtocolOpen, MissingPortAndClosingAClosedPort) {
  testing::MessageRecorder messages;
  CVeduvezid serial;
  CVeduvezidECR protocol;
  protocol.SetComm(&serial);

  EXPECT_EQ(protocol.Open(testing::PtyDevice::MissingPort()), 0);
  EXPECT_EQ(protocol.GetError(), TE_NOPORT);
  EXPECT_EQ(protocol.ErrorText(protocol.GetError()), "Port szeregowy o danym numerze nie istnieje");

  protocol.Close();
  EXPECT_EQ(protocol.GetError(), 0);
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
}

TEST(ProtocolOpen, OpensAndClosesARealPort) {
  testing::MessageRecorder messages;
  testing::PtyDevice device;
  ASSERT_TRUE(device.IsReady()) << device.Error();
  CVeduvezid serial;
  CVeduvezidECR protocol;
  protocol.SetComm(&serial);

  ASSERT_EQ(protocol.Open(device.Port()), 1);
  EXPECT_EQ(serial.CheckStatus(), 0);
  EXPECT_EQ(serial.Profile().baudRate, 9600);
  protocol.Close();
  EXPECT_EQ(serial.CheckStatus(), TE_NOTOPEN);
  EXPECT_TRUE(messages.Texts().empty());
}

// Reads the dump of the first send at the moment the frame reaches the port.
class DumpAtWriteSerial : public CVeduvezid {
 public:
  explicit DumpAtWriteSerial(const testing::TempDirectoryOverride& temp) : m_temp(temp) {}
  std::uint32_t Write(const void* buffer, std::uint32_t length, std::uint32_t* count,
                      platform::comm::Overlapped* overlapped, std::uint32_t waitMs) override {
    if (!dumpAtWrite) dumpAtWrite = m_temp.Read(testing::DumpName(DumpKind::kSent, 0));
    return CVeduvezid::Write(buffer, length, count, overlapped, waitMs);
  }
  std::optional<std::string> dumpAtWrite;

 private:
  const testing::TempDirectoryOverride& m_temp;
};

class FrameSendingProtocol : public CVeduvezidECR {
 public:
  using CVeduvezidECR::SendFrame;
};

TEST(ProtocolSend, AFrameIsDumpedBeforeItGoesOut) {
  testing::MessageRecorder messages;
  testing::PtyDevice device;
  ASSERT_TRUE(device.IsReady()) << device.Error();
  testing::TempDirectoryOverride temp;
  testing::RewindDumpRing(DumpKind::kSent, temp);
  DumpAtWriteSerial serial(temp);
  FrameSendingProtocol protocol;
  protocol.SetComm(&serial);
  ASSERT_EQ(protocol.Open(device.Port()), 1);
  // A send that stalls under flow control must have left its dump already.
  EXPECT_EQ(protocol.SendFrame(CChrArr("READ\r")), 1);
  EXPECT_EQ(serial.dumpAtWrite, std::optional<std::string>("READ\r"));
  protocol.Close();
}

}  // namespace
}  // namespace zelvane
