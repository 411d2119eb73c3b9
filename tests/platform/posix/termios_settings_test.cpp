// The translation of the line block into termios and back, without a device.
#if !defined(_WIN32)

#include "platform/posix/termios_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace zelvane::platform::comm {
namespace {

Dcb Line(std::uint32_t speed, std::uint8_t bits, std::uint8_t parity, std::uint8_t stop) {
  Dcb dcb;
  dcb.BaudRate = speed;
  dcb.ByteSize = bits;
  dcb.Parity = parity;
  dcb.fParity = parity != kNoParity;
  dcb.StopBits = stop;
  return dcb;
}

termios Raw() {
  termios settings{};
  MakeRaw(settings);
  return settings;
}

TEST(TermiosSettings, LineCodesBecomeTermiosFlagsAndReadBackTheSame) {
  struct Case {
    const char* what;
    Dcb dcb;
    speed_t speed;
    tcflag_t size;
    tcflag_t parity;  // PARENB, PARODD (and CMSPAR) as set
    bool twoStopBits;
  };
  Dcb cts = Line(19200, 8, kNoParity, kOneStopBit);
  cts.fOutxCtsFlow = true;
  Dcb xon = Line(9600, 8, kNoParity, kOneStopBit);
  xon.fOutX = true;
  xon.fInX = true;
  const Case cases[] = {
      {"9600,N,8,1", Line(9600, 8, kNoParity, kOneStopBit), B9600, CS8, 0, false},
      {"19200,E,7,2", Line(19200, 7, kEvenParity, kTwoStopBits), B19200, CS7, PARENB, true},
      {"1200,O,6,1", Line(1200, 6, kOddParity, kOneStopBit), B1200, CS6, PARENB | PARODD, false},
      {"115200,N,5,1.5", Line(115200, 5, kNoParity, kOne5StopBits), B115200, CS5, 0, true},
#ifdef CMSPAR
      {"4800,M,8,1", Line(4800, 8, kMarkParity, kOneStopBit), B4800, CS8, PARENB | PARODD | CMSPAR,
       false},
      {"4800,S,8,1", Line(4800, 8, kSpaceParity, kOneStopBit), B4800, CS8, PARENB | CMSPAR, false},
#endif
      {"CTS flow", cts, B19200, CS8, 0, false},
      {"XON/XOFF", xon, B9600, CS8, 0, false},
  };
  for (const Case& c : cases) {
    termios settings = Raw();
    ASSERT_TRUE(ApplyLineCodes(c.dcb, settings)) << c.what;
    EXPECT_EQ(cfgetospeed(&settings), c.speed) << c.what;
    EXPECT_EQ(cfgetispeed(&settings), c.speed) << c.what;
    EXPECT_EQ(settings.c_cflag & CSIZE, c.size) << c.what;
    tcflag_t parityFlags = PARENB | PARODD;
#ifdef CMSPAR
    parityFlags |= CMSPAR;
#endif
    EXPECT_EQ(settings.c_cflag & parityFlags, c.parity) << c.what;
    EXPECT_EQ((settings.c_cflag & CSTOPB) != 0, c.twoStopBits) << c.what;
    EXPECT_EQ((settings.c_cflag & CRTSCTS) != 0, c.dcb.fOutxCtsFlow) << c.what;
    EXPECT_EQ((settings.c_iflag & INPCK) != 0, c.dcb.fParity) << c.what;
    EXPECT_EQ((settings.c_iflag & IXON) != 0, c.dcb.fOutX) << c.what;
    EXPECT_EQ((settings.c_iflag & IXOFF) != 0, c.dcb.fInX) << c.what;

    const Dcb back = DcbOf(settings);
    EXPECT_EQ(back.BaudRate, c.dcb.BaudRate) << c.what;
    EXPECT_EQ(back.ByteSize, c.dcb.ByteSize) << c.what;
    EXPECT_EQ(back.Parity, c.dcb.Parity) << c.what;
    EXPECT_EQ(back.fParity, c.dcb.fParity) << c.what;
    // termios has one switch for more than one stop bit.
    EXPECT_EQ(back.StopBits, c.twoStopBits ? kTwoStopBits : kOneStopBit) << c.what;
    EXPECT_EQ(back.fOutxCtsFlow, c.dcb.fOutxCtsFlow) << c.what;
    EXPECT_EQ(back.fRtsControl, c.dcb.fOutxCtsFlow ? kRtsControlHandshake : kRtsControlEnable)
        << c.what;
    EXPECT_EQ(back.fOutX, c.dcb.fOutX) << c.what;
    EXPECT_EQ(back.fInX, c.dcb.fInX) << c.what;
  }
}

TEST(TermiosSettings, RtsHandshakeAloneMeansHardwareFlow) {
  Dcb dcb = Line(9600, 8, kNoParity, kOneStopBit);
  dcb.fRtsControl = kRtsControlHandshake;
  termios settings = Raw();
  ASSERT_TRUE(ApplyLineCodes(dcb, settings));
  EXPECT_NE(settings.c_cflag & CRTSCTS, 0u);
}

TEST(TermiosSettings, CodesTermiosCannotExpressAreRefusedAndChangeNothing) {
  Dcb badDtr = Line(9600, 8, kNoParity, kOneStopBit);
  badDtr.fDtrControl = 3;
  Dcb badRts = Line(9600, 8, kNoParity, kOneStopBit);
  badRts.fRtsControl = 4;
  const Dcb refused[] = {
      Line(14400, 8, kNoParity, kOneStopBit),  // no termios constant
      Line(0, 8, kNoParity, kOneStopBit),
      Line(9600, 4, kNoParity, kOneStopBit),
      Line(9600, 9, kNoParity, kOneStopBit),
      Line(9600, 8, 5, kOneStopBit),
      Line(9600, 8, kNoParity, 3),
      Line(9600, 8, 0xFF, 0xFF),
      badDtr,
      badRts,
  };
  for (const Dcb& dcb : refused) {
    termios settings = Raw();
    ASSERT_TRUE(ApplyLineCodes(Line(2400, 7, kEvenParity, kOneStopBit), settings));
    const termios before = settings;
    EXPECT_FALSE(ApplyLineCodes(dcb, settings)) << dcb.BaudRate << " " << int(dcb.ByteSize);
    EXPECT_EQ(std::memcmp(&before, &settings, sizeof settings), 0) << dcb.BaudRate;
  }
}

TEST(TermiosSettings, RawModeTurnsOffLineEditingAndSetsReadsThatReturnAtOnce) {
  termios settings{};
  settings.c_iflag = ICRNL | IXON | ISTRIP;
  settings.c_oflag = OPOST;
  settings.c_lflag = ECHO | ICANON | ISIG;
  settings.c_cc[VMIN] = 1;
  settings.c_cc[VTIME] = 5;
  MakeRaw(settings);
  EXPECT_EQ(settings.c_iflag & (ICRNL | IXON | ISTRIP), 0u);
  EXPECT_EQ(settings.c_oflag & OPOST, 0u);
  EXPECT_EQ(settings.c_lflag & (ECHO | ICANON | ISIG), 0u);
  EXPECT_EQ(settings.c_cflag & (CREAD | CLOCAL), tcflag_t{CREAD | CLOCAL});
  EXPECT_EQ(settings.c_cc[VMIN], 0);
  EXPECT_EQ(settings.c_cc[VTIME], 0);
}

}  // namespace
}  // namespace zelvane::platform::comm

#endif
