#include "platform/posix/termios_settings.h"

#include <cstdint>

namespace zelvane::platform::comm {

namespace {

struct SpeedCode {
  std::uint32_t bitsPerSecond;
  speed_t code;
};

constexpr SpeedCode kSpeeds[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

bool SpeedCodeOf(std::uint32_t bitsPerSecond, speed_t& code) {
  for (const SpeedCode& speed : kSpeeds) {
    if (speed.bitsPerSecond == bitsPerSecond) {
      code = speed.code;
      return true;
    }
  }
  return false;
}

std::uint32_t BitsPerSecondOf(speed_t code) {
  for (const SpeedCode& speed : kSpeeds) {
    if (speed.code == code) return speed.bitsPerSecond;
  }
  return 0;
}

}  // namespace

Dcb DcbOf(const termios& settings) {
  Dcb dcb;
  dcb.BaudRate = BitsPerSecondOf(cfgetospeed(&settings));
  switch (settings.c_cflag & CSIZE) {
    case CS5: dcb.ByteSize = 5; break;
    case CS6: dcb.ByteSize = 6; break;
    case CS7: dcb.ByteSize = 7; break;
    default: dcb.ByteSize = 8; break;
  }
  if ((settings.c_cflag & PARENB) != 0) {
    const bool odd = (settings.c_cflag & PARODD) != 0;
#ifdef CMSPAR
    if ((settings.c_cflag & CMSPAR) != 0) {
      dcb.Parity = odd ? kMarkParity : kSpaceParity;
    } else
#endif
    {
      dcb.Parity = odd ? kOddParity : kEvenParity;
    }
  }
  dcb.fParity = (settings.c_iflag & INPCK) != 0;
  dcb.StopBits = (settings.c_cflag & CSTOPB) != 0 ? kTwoStopBits : kOneStopBit;
  const bool hardwareFlow = (settings.c_cflag & CRTSCTS) != 0;
  dcb.fOutxCtsFlow = hardwareFlow;
  dcb.fRtsControl = hardwareFlow ? kRtsControlHandshake : kRtsControlEnable;
  dcb.fOutX = (settings.c_iflag & IXON) != 0;
  dcb.fInX = (settings.c_iflag & IXOFF) != 0;
  return dcb;
}

void MakeRaw(termios& settings) {
  settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                             ICRNL | IXON | IXOFF | IXANY);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag |= CREAD | CLOCAL;
  // Set explicitly: a VMIN left over by an earlier user of the device would change
  // what a read of a silent line returns.
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
}

bool ApplyLineCodes(const Dcb& dcb, termios& settings) {
  speed_t speed;
  if (!SpeedCodeOf(dcb.BaudRate, speed)) return false;
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.StopBits > kTwoStopBits) return false;
  if (dcb.fDtrControl > kDtrControlHandshake || dcb.fRtsControl > 3) return false;
  tcflag_t parity = 0;
  switch (dcb.Parity) {
    case kNoParity: break;
    case kOddParity: parity = PARENB | PARODD; break;
    case kEvenParity: parity = PARENB; break;
#ifdef CMSPAR
    case kMarkParity: parity = PARENB | PARODD | CMSPAR; break;
    case kSpaceParity: parity = PARENB | CMSPAR; break;
#endif
    default: return false;
  }
  constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  cfsetispeed(&settings, speed);
  cfsetospeed(&settings, speed);
  tcflag_t control =
      settings.c_cflag & ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
#ifdef CMSPAR
  control &= ~static_cast<tcflag_t>(CMSPAR);
#endif
  control |= kSizes[dcb.ByteSize - 5] | parity;
  // termios knows one and two stop bits; with five data bits two means one and a half.
  if (dcb.StopBits != kOneStopBit) control |= CSTOPB;
  // CTS and RTS flow are one switch here. DSR flow and DTR handshaking have no
  // counterpart and are only recorded.
  if (dcb.fOutxCtsFlow || dcb.fRtsControl == kRtsControlHandshake) control |= CRTSCTS;
  settings.c_cflag = control;
  tcflag_t input = settings.c_iflag & ~static_cast<tcflag_t>(INPCK | IXON | IXOFF);
  if (dcb.fParity) input |= INPCK;
  if (dcb.fOutX) input |= IXON;
  if (dcb.fInX) input |= IXOFF;
  settings.c_iflag = input;
  return true;
}

}  // namespace zelvane::platform::comm
