#include <gtest/gtest.h>

#include <string>

#include "platform/threads.h"
#include "serial/com_device_name.h"
#include "serial/serial_errors.h"
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

class PortEngine : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    engine.SetCommPort(device.Port());
  }
  void TearDown() override { engine.SetPortOpen(false); }

  MessageRecorder messages;
  PtyDevice device;
  InspectableSerial engine;
};

TEST_F(PortEngine, SettingsTextLandsInTheLineState) {
  engine.SetSettings("19200,E,7,1");
  engine.SetPortOpen(true);
  ASSERT_TRUE(engine.GetPortOpen());
  const comm::Dcb line = engine.LineState();
  EXPECT_EQ(line.BaudRate, 19200u);
  EXPECT_TRUE(messages.Texts().empty());
  if (!PtyDevice::ReportsLineStateAsSet()) return;
  EXPECT_EQ(line.ByteSize, 7);
  EXPECT_EQ(line.Parity, comm::kEvenParity);
  EXPECT_TRUE(line.fParity);
  EXPECT_EQ(line.StopBits, comm::kOneStopBit);
}

TEST_F(PortEngine, SettingsTextKeepsTheFieldsItDoesNotSupply) {
  engine.SetSettings("4800,O");
  EXPECT_EQ(engine.m_nBaudRate, 4800);
  EXPECT_EQ(engine.m_cParity, 'O');
  EXPECT_EQ(engine.m_nDataBits, 8);
  EXPECT_EQ(engine.m_nStopBits, 1);
  engine.SetSettings("fast,N,8,1");
  EXPECT_EQ(engine.m_nBaudRate, 4800);
  engine.SetSettings(" 2400,S,5,3");
  EXPECT_EQ(engine.m_nBaudRate, 2400);
  EXPECT_EQ(engine.m_cParity, 'S');
  EXPECT_EQ(engine.m_nDataBits, 5);
  EXPECT_EQ(engine.m_nStopBits, 3);
}

TEST_F(PortEngine, SpeedThePlatformRefusesKeepsThePreviousLineAndStaysOpen) {
  if (!PtyDevice::ReportsLineStateAsSet()) GTEST_SKIP() << "the line state cannot be read back";
  engine.SetSettings("19200,N,8,1");
  engine.SetPortOpen(true);
  engine.SetPortOpen(false);
  engine.SetSettings("75,O,8,1");
  engine.SetPortOpen(true);
  EXPECT_TRUE(engine.GetPortOpen());
  const comm::Dcb line = engine.LineState();
  EXPECT_EQ(line.BaudRate, 19200u);
  EXPECT_EQ(line.Parity, comm::kNoParity);
}

TEST_F(PortEngine, SecondOpenReportsAlreadyInitializedAndKeepsTheFirst) {
  engine.SetPortOpen(true);
  const comm::Handle first = engine.GetCommHandle();
  engine.SetPortOpen(true);
  EXPECT_EQ(engine.m_lLastError, comm::kErrorAlreadyInitialized);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], "m_lLastError = ERROR_ALREADY_INITIALIZED");
  EXPECT_TRUE(engine.GetPortOpen());
  EXPECT_EQ(engine.GetCommHandle(), first);
}

TEST_F(PortEngine, PortNumbersOutOfRangeAreRefused) {
  engine.SetCommPort(256);
  EXPECT_EQ(engine.m_nSio_Error, TE_PARAM);
  EXPECT_EQ(engine.m_nCommPort, device.Port());
  engine.SetCommPort(0);
  EXPECT_EQ(engine.m_nCommPort, device.Port());

  engine.m_nCommPort = 0;
  engine.SetPortOpen(true);
  EXPECT_FALSE(engine.GetPortOpen());
  EXPECT_EQ(engine.m_nSio_Error, TE_PARAM);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], " m_nSio_Error = TE_PARAM");
}

TEST_F(PortEngine, MissingDeviceFailsTheOpenWithItsMessage) {
  engine.SetCommPort(PtyDevice::MissingPort());
  engine.SetPortOpen(true);
  EXPECT_FALSE(engine.GetPortOpen());
  EXPECT_EQ(engine.GetCommHandle(), nullptr);
  EXPECT_EQ(engine.m_lLastError, comm::kErrorFileNotFound);
  ASSERT_EQ(messages.Texts().size(), 1u);
  EXPECT_EQ(messages.Texts()[0], "CSerial::Open - Unable to open port");
}

TEST_F(PortEngine, InputLenLongerThanTheInputGivesAnEmptyArrayAndKeepsTheBytes) {
  engine.SetPortOpen(true);
  ASSERT_TRUE(device.Write("abc"));
  for (int i = 0; i < 200 && engine.PollInput() < 3; ++i) platform::SleepMs(5);
  engine.SetInputLen(5);
  const platform::ByteVariant none = engine.GetInput();
  EXPECT_EQ(none.Type(), platform::ByteVariant::kByteArray);
  EXPECT_EQ(none.UpperBound(), -1);
  EXPECT_EQ(engine.PollInput(), 3);

  ASSERT_TRUE(device.Write("de"));
  for (int i = 0; i < 200 && engine.PollInput() < 5; ++i) platform::SleepMs(5);
  const platform::ByteVariant five = engine.GetInput();
  ASSERT_EQ(five.UpperBound(), 4);
  std::string taken;
  for (long i = 0; i <= five.UpperBound(); ++i) {
    std::uint8_t byte = 0;
    ASSERT_TRUE(five.GetElement(i, byte));
    taken += static_cast<char>(byte);
  }
  EXPECT_EQ(taken, "abcde");
  EXPECT_EQ(engine.PollInput(), 0);
}

TEST(ComDeviceNames, FromTenOnUnderTheDeviceNamespace) {
  EXPECT_EQ(ComDeviceName(1), "COM1");
  EXPECT_EQ(ComDeviceName(9), "COM9");
  EXPECT_EQ(ComDeviceName(10), "\\\\.\\COM10");
  EXPECT_EQ(ComDeviceName(255), "\\\\.\\COM255");
}

struct HandshakeCase {
  int ctsFlow, rtsMode, xonXoff, previous, expected;
};

TEST(HandshakeDerivation, FourRulesInOrderAndThePreviousKindWhenNoneFires) {
  const HandshakeCase cases[] = {
      {0, 1, 0, 3, 0}, {0, 0, 1, 0, 1}, {0, 2, 0, 0, 2}, {1, 1, 0, 3, 0},
      {1, 2, 0, 0, 2}, {0, 2, 1, 0, 3}, {1, 0, 2, 0, 3}, {0, 3, 0, 3, 3},
  };
  for (const HandshakeCase& c : cases) {
    InspectableSerial engine;
    engine.m_nCtsFlow = c.ctsFlow;
    engine.m_nRtsMode = c.rtsMode;
    engine.m_nXonXoff = c.xonXoff;
    engine.m_nHandshaking = c.previous;
    engine.DeriveHandshaking();
    EXPECT_EQ(engine.m_nHandshaking, c.expected)
        << "C=" << c.ctsFlow << " R=" << c.rtsMode << " X=" << c.xonXoff;
  }
}

TEST_F(PortEngine, CtsFlowAloneOnlyWatchesCts) {
  if (!PtyDevice::ReportsLineStateAsSet()) GTEST_SKIP() << "the line state cannot be read back";
  engine.m_nCtsFlow = 1;
  engine.m_nRtsMode = 1;
  engine.SetPortOpen(true);
  EXPECT_EQ(engine.m_nHandshaking, 0);
  const comm::Dcb line = engine.LineState();
  EXPECT_TRUE(line.fOutxCtsFlow);
  EXPECT_FALSE(line.fOutxDsrFlow);
  EXPECT_EQ(line.fDtrControl, comm::kDtrControlDisable);
  EXPECT_EQ(line.fRtsControl, comm::kRtsControlDisable);
  EXPECT_FALSE(line.fOutX);
  EXPECT_FALSE(line.fInX);
}

TEST_F(PortEngine, RtsHandshakeWithXonXoffAppliesXonXoffOnly) {
  if (!PtyDevice::ReportsLineStateAsSet()) GTEST_SKIP() << "the line state cannot be read back";
  engine.m_nRtsMode = 2;
  engine.m_nXonXoff = 1;
  engine.SetPortOpen(true);
  EXPECT_EQ(engine.m_nHandshaking, 3);
  const comm::Dcb line = engine.LineState();
  EXPECT_TRUE(line.fOutX);
  EXPECT_TRUE(line.fInX);
  EXPECT_FALSE(line.fOutxCtsFlow);
  EXPECT_EQ(line.fRtsControl, comm::kRtsControlDisable);
}

TEST(SerialErrorTexts, PolishTextsInCodePage1250) {
  EXPECT_STREQ(SerialErrorText(0),
               "Bez b\xB3\xEA"
               "du");
  EXPECT_STREQ(SerialErrorText(TE_BREAK), "Transmisja przerwana przez u\xBFytkownika");
  EXPECT_STREQ(SerialErrorText(TE_NOTOPEN), "Port szeregowy nie zosta\xB3 aktywowany");
  EXPECT_STREQ(SerialErrorText(TE_NOMEM),
               "B\xB3\xB9"
               "d obs\xB3ugi portu szeregowego: brak zasob\xF3w");
  EXPECT_STREQ(SerialErrorText(-11),
               "Nieokre\x9Clony b\xB3\xB9"
               "d #");
  EXPECT_STREQ(SerialErrorText(1), SerialErrorText(-11));
  EXPECT_STREQ(CVeduvezid::SerialErrorText(TE_CONFL),
               "Port szeregowy o danym numerze jest ju\xBF w u\xBFyciu");
}

}  // namespace
}  // namespace zelvane
