// The communications interface over termios. The port behaves like a Windows serial
// driver as far as the engine can tell:
// - Writes never block: what the kernel does not take at once waits in the port's own
//   transmit queue and is pushed on by every later call (and by the waits), so the
//   output queue count is that queue plus the kernel's (TIOCOUTQ).
// - Reads honour the time-outs set with SetTimeouts; an overlapped read that has to
//   wait stays pending and is driven by whoever waits on its event.
// - Modem lines are optional: pseudo-terminals have none (TIOCMGET and TIOCMSET fail
//   with ENOTTY or EINVAL), so the wanted DTR and RTS states are only recorded there,
//   and GetModemStatus fails with kErrorInvalidFunction, as it does under Wine.
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/comm.h"
#include "platform/growing_interval.h"
#include "platform/posix/port_holders.h"
#include "platform/posix/uucp_lock.h"
#include "platform/threads.h"

namespace zelvane::platform::comm {

namespace {

thread_local std::uint32_t t_lastError = kErrorSuccess;

bool Fail(std::uint32_t code) {
  t_lastError = code;
  return false;
}

std::uint32_t SystemErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return kErrorFileNotFound;
    // The user may not open the device: on Linux not a sign of another user.
    case EACCES:
    case EPERM: return kErrorNoPermission;
    case EBUSY:
    case EWOULDBLOCK: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EINVAL: return kErrorInvalidParameter;
    case ENOTTY: return kErrorInvalidFunction;
    case EIO: return kErrorDeviceNotConnected;
    case ETIMEDOUT: return kErrorTimeout;
    default: return kErrorGenFailure;
  }
}

bool FailErrno() {
  return Fail(SystemErrorOf(errno));
}

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

std::uint64_t NowMs() {
  return TickMilliseconds();
}

int RemainingMs(std::uint64_t deadline) {
  const std::uint64_t now = NowMs();
  if (now >= deadline) return 0;
  const std::uint64_t left = deadline - now;
  return left > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(left);
}

std::uint64_t DeadlineAfter(std::uint32_t milliseconds) {
  return milliseconds == kInfinite ? UINT64_MAX : NowMs() + milliseconds;
}

void SleepUntil(std::uint64_t deadline) {
  const int left = RemainingMs(deadline);
  if (left > 0) SleepMs(static_cast<unsigned>(left));
}

// An overlapped read that could not be satisfied at once.
struct PendingRead {
  Overlapped* overlapped = nullptr;
  std::uint8_t* buffer = nullptr;
  std::uint32_t length = 0;
  std::uint32_t received = 0;
  std::uint64_t deadline = 0;
};

struct TransferEvent {
  std::atomic<bool> signalled{false};
  // The port whose pending read completes this event once somebody waits for it.
  PortObject* driver = nullptr;
};

TransferEvent* EventOf(Event event) {
  return static_cast<TransferEvent*>(event);
}

}  // namespace

struct PortObject {
  int fd = -1;
  Dcb dcb;
  Timeouts timeouts;
  std::uint32_t eventMask = 0;
  std::vector<std::uint8_t> transmitQueue;
  bool readPending = false;
  PendingRead pending;
  UucpLock lock;  // given back when the port object goes
};

struct SignalObject {
  int fd;  // an eventfd, readable while raised
};

namespace {

// A time limit of a wait on the monotonic clock; kInfinite has none.
struct Deadline {
  explicit Deadline(std::uint32_t milliseconds) : at(DeadlineAfter(milliseconds)) {}
  bool Passed() const { return at != UINT64_MAX && NowMs() >= at; }
  int PollTimeout() const { return at == UINT64_MAX ? -1 : RemainingMs(at); }
  // This limit or `milliseconds` from now, whichever comes first.
  Deadline Sooner(std::uint32_t milliseconds) const {
    Deadline sooner(milliseconds);
    if (at < sooner.at) sooner.at = at;
    return sooner;
  }
  std::uint64_t at;
};

// One wait on a port (none when `portFd` is -1) together with the break signal.
class PortPoll {
 public:
  PortPoll(int portFd, Signal breakSignal)
      : m_watched{{portFd, 0, 0}, {breakSignal != nullptr ? breakSignal->fd : -1, POLLIN, 0}} {}

  // The port's entry: set the events to wait for, read what happened.
  pollfd& Port() { return m_watched[0]; }

  // kReady once the port reports one of its events, kBroken on the signal, kFailed
  // when the port hung up or failed.
  WaitResult Wait(const Deadline& deadline) {
    for (;;) {
      const int ready = ::poll(m_watched, 2, deadline.PollTimeout());
      if (ready < 0) {
        if (errno == EINTR) continue;
        FailErrno();
        return WaitResult::kFailed;
      }
      if (ready == 0) return WaitResult::kTimedOut;
      if ((m_watched[1].revents & POLLIN) != 0) return WaitResult::kBroken;
      if ((m_watched[0].revents & (POLLHUP | POLLERR | POLLNVAL)) != 0) {
        Fail(kErrorDeviceNotConnected);
        return WaitResult::kFailed;
      }
      if ((m_watched[0].revents & m_watched[0].events) != 0) return WaitResult::kReady;
    }
  }

 private:
  pollfd m_watched[2];
};

// "COM9" and "\\.\COM10" name COM port 9 and 10; anything else is a path.
std::string DevicePath(const char* name) {
  std::string_view text(name);
  constexpr std::string_view kDeviceNamespace = "\\\\.\\";
  if (text.starts_with(kDeviceNamespace)) text.remove_prefix(kDeviceNamespace.size());
  if (text.size() < 4 || !text.starts_with("COM")) return std::string(text);
  int number = 0;
  for (const char digit : text.substr(3)) {
    if (digit < '0' || digit > '9' || number > 100000) return std::string(text);
    number = number * 10 + (digit - '0');
  }
  if (number < 1) return std::string(text);
  const std::string variable = "ZELVANE_COM" + std::to_string(number);
  const char* mapped = std::getenv(variable.c_str());
  if (mapped != nullptr && *mapped != '\0') return mapped;
  return "/dev/ttyS" + std::to_string(number - 1);
}

bool HungUp(int fd) {
  pollfd probe{fd, POLLIN, 0};
  return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int BytesReceived(int fd) {
  int count = 0;
  return ::ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

// Hands queued output to the kernel as far as it takes it. A device that refuses it
// for good has gone away: its queue is dropped, as nothing can ever send it.
bool PushTransmitQueue(PortObject& port) {
  std::vector<std::uint8_t>& queue = port.transmitQueue;
  while (!queue.empty()) {
    const ssize_t written = ::write(port.fd, queue.data(), queue.size());
    if (written > 0) {
      queue.erase(queue.begin(), queue.begin() + written);
      continue;
    }
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && errno == EAGAIN) return true;
    const int error = errno;
    queue.clear();
    return Fail(SystemErrorOf(written == 0 ? EIO : error));
  }
  return true;
}

// Reads what has arrived into buffer[received..length). A failure after some bytes
// came in is left for the next call, so that those bytes are not lost.
bool ReadArrived(PortObject& port, std::uint8_t* buffer, std::uint32_t length,
                 std::uint32_t& received) {
  const std::uint32_t before = received;
  while (received < length) {
    const ssize_t count = ::read(port.fd, buffer + received, length - received);
    if (count > 0) {
      received += static_cast<std::uint32_t>(count);
      continue;
    }
    if (count < 0 && errno == EINTR) continue;
    if (count < 0 && errno == EAGAIN) return true;
    if (received > before) return true;
    // With VMIN and VTIME 0 a silent line reads 0 bytes; so does a hung-up one.
    if (count == 0) return HungUp(port.fd) ? Fail(kErrorDeviceNotConnected) : true;
    return FailErrno();
  }
  return true;
}

bool ReturnsAtOnce(const Timeouts& timeouts) {
  return timeouts.ReadIntervalTimeout == kInfinite && timeouts.ReadTotalTimeoutMultiplier == 0 &&
         timeouts.ReadTotalTimeoutConstant == 0;
}

std::uint64_t ReadDeadline(const Timeouts& timeouts, std::uint32_t length) {
  const std::uint64_t total =
      static_cast<std::uint64_t>(timeouts.ReadTotalTimeoutMultiplier) * length +
      timeouts.ReadTotalTimeoutConstant;
  return total == 0 ? UINT64_MAX : NowMs() + total;
}

// Reads until the length is reached, the deadline passed or the device failed. True
// with the bytes received unless the device failed.
bool ReadUntil(PortObject& port, std::uint8_t* buffer, std::uint32_t length,
               std::uint32_t& received, std::uint64_t deadline, std::uint64_t waitUntil) {
  for (;;) {
    if (!ReadArrived(port, buffer, length, received)) return false;
    if (received == length || NowMs() >= deadline || NowMs() >= waitUntil) return true;
    pollfd readable{port.fd, POLLIN, 0};
    const std::uint64_t until = deadline < waitUntil ? deadline : waitUntil;
    const int ready = ::poll(&readable, 1, until == UINT64_MAX ? -1 : RemainingMs(until));
    if (ready < 0 && errno != EINTR) return FailErrno();
  }
}

void CompleteTransfer(Overlapped& overlapped, std::uint32_t error, std::uint32_t count) {
  overlapped.Internal = error;
  overlapped.InternalHigh = count;
  if (overlapped.hEvent != nullptr) EventOf(overlapped.hEvent)->signalled.store(true);
}

void FinishPendingRead(PortObject& port, std::uint32_t error) {
  port.readPending = false;
  TransferEvent* event = EventOf(port.pending.overlapped->hEvent);
  if (event != nullptr) event->driver = nullptr;
  CompleteTransfer(*port.pending.overlapped, error, port.pending.received);
}

// Drives the pending read for at most until `waitUntil`; true once it has completed.
bool DrivePendingRead(PortObject& port, std::uint64_t waitUntil) {
  PendingRead& pending = port.pending;
  if (!ReadUntil(port, pending.buffer, pending.length, pending.received, pending.deadline,
                 waitUntil)) {
    FinishPendingRead(port, t_lastError);
    return true;
  }
  if (pending.received == pending.length || NowMs() >= pending.deadline) {
    FinishPendingRead(port, kErrorSuccess);
    return true;
  }
  return false;
}

void ResetRecord(Overlapped* overlapped) {
  if (overlapped == nullptr) return;
  overlapped->Internal = kErrorIoPending;
  overlapped->InternalHigh = 0;
  if (overlapped->hEvent != nullptr) EventOf(overlapped->hEvent)->signalled.store(false);
}

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

// DTR and RTS follow the block where the device has modem lines; a pseudo-terminal
// has none, and that is no reason to refuse the line settings.
void ApplyModemLines(const PortObject& port, const Dcb& dcb) {
  int lines = 0;
  if (::ioctl(port.fd, TIOCMGET, &lines) != 0) return;
  const auto set = [&lines](int bit, bool on) { lines = on ? (lines | bit) : (lines & ~bit); };
  set(TIOCM_DTR, dcb.fDtrControl != kDtrControlDisable);
  if (dcb.fRtsControl != kRtsControlHandshake) {
    set(TIOCM_RTS, dcb.fRtsControl != kRtsControlDisable);
  }
  ::ioctl(port.fd, TIOCMSET, &lines);
}

}  // namespace

std::uint32_t LastError() {
  return t_lastError;
}

Handle OpenDevice(const char* name, bool /*overlapped: every port here can wait*/) {
  if (name == nullptr) {
    Fail(kErrorInvalidParameter);
    return nullptr;
  }
  const std::string path = DevicePath(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    FailErrno();
    return nullptr;
  }
  const auto refuse = [fd](std::uint32_t code) {
    ::close(fd);
    Fail(code);
    return nullptr;
  };
  termios settings{};
  if (::isatty(fd) == 0 || ::tcgetattr(fd, &settings) != 0) return refuse(kErrorFileNotFound);
  auto* port = new (std::nothrow) PortObject;
  if (port == nullptr) return refuse(kErrorNotEnoughMemory);
  // The port must be known to be ours before anything about it changes: no other
  // open within this process (flock), no other program in exclusive mode (which the
  // superuser's open passes), no other program's UUCP lock, no other program that
  // merely has it open.
  int exclusive = 0;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0 ||
      (::ioctl(fd, TIOCGEXCL, &exclusive) == 0 && exclusive) || HeldByAnotherProcess(fd) ||
      port->lock.Take(path) == UucpLock::Outcome::kHeldByOther) {
    delete port;
    return refuse(kErrorAccessDenied);
  }
  // Keeps other programs out until the close (not the superuser: the locks do).
  ::ioctl(fd, TIOCEXCL);
  MakeRaw(settings);
  if (::tcsetattr(fd, TCSANOW, &settings) != 0) {
    const int error = errno;
    ::ioctl(fd, TIOCNXCL);
    delete port;
    return refuse(SystemErrorOf(error));
  }
  port->fd = fd;
  port->dcb = DcbOf(settings);
  return port;
}

bool CloseDevice(Handle port) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (port->readPending) FinishPendingRead(*port, kErrorOperationAborted);
  // Output held back by flow control would make close() wait for the terminal's
  // closing delay (30 s by default), so what is still queued is dropped. Output that
  // has left the queues is never flushed: on a pseudo-terminal it would be taken back
  // from the other end's input before that end read it, and on a UART out of its
  // FIFO, so the last answer of a transfer (an ACK, an end marker) could be lost.
  int kernelOutput = 0;
  const bool outputWaits = !port->transmitQueue.empty() ||
                           ::ioctl(port->fd, TIOCOUTQ, &kernelOutput) != 0 || kernelOutput > 0;
  port->transmitQueue.clear();
  if (outputWaits) ::tcflush(port->fd, TCOFLUSH);
  // The exclusive mode belongs to the terminal, not to this descriptor: it would
  // outlive the close and keep the next user out.
  ::ioctl(port->fd, TIOCNXCL);
  const int result = ::close(port->fd);
  delete port;
  return result == 0 || FailErrno();
}

Event CreateTransferEvent() {
  auto* event = new (std::nothrow) TransferEvent;
  if (event == nullptr) Fail(kErrorNotEnoughMemory);
  return event;
}

bool CloseTransferEvent(Event event) {
  if (event == nullptr) return Fail(kErrorInvalidHandle);
  delete EventOf(event);
  return true;
}

bool SignalTransferEvent(Event event) {
  if (event == nullptr) return Fail(kErrorInvalidHandle);
  EventOf(event)->signalled.store(true);
  return true;
}

std::uint32_t WaitTransferEvent(Event event, std::uint32_t milliseconds) {
  if (event == nullptr) {
    Fail(kErrorInvalidHandle);
    return kWaitFailed;
  }
  TransferEvent& waited = *EventOf(event);
  const std::uint64_t deadline = DeadlineAfter(milliseconds);
  for (;;) {
    if (waited.signalled.load()) return kWaitSignalled;
    if (waited.driver != nullptr) {
      if (DrivePendingRead(*waited.driver, deadline)) return kWaitSignalled;
    } else {
      SleepMs(1);
    }
    if (NowMs() >= deadline) return waited.signalled.load() ? kWaitSignalled : kWaitTimeout;
  }
}

bool SetupQueues(Handle port, std::uint32_t, std::uint32_t) {
  // The kernel sizes its own queues; ours grows as needed.
  return port != nullptr || Fail(kErrorInvalidHandle);
}

bool SetEventMask(Handle port, std::uint32_t mask) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  port->eventMask = mask;
  return true;
}

bool GetState(Handle port, Dcb& dcb) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  dcb = port->dcb;
  return true;
}

bool SetState(Handle port, const Dcb& dcb) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  termios settings{};
  if (::tcgetattr(port->fd, &settings) != 0) return FailErrno();
  if (!ApplyLineCodes(dcb, settings)) return Fail(kErrorInvalidParameter);
  if (::tcsetattr(port->fd, TCSANOW, &settings) != 0) return FailErrno();
  ApplyModemLines(*port, dcb);
  port->dcb = dcb;
  return true;
}

bool GetTimeouts(Handle port, Timeouts& timeouts) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  timeouts = port->timeouts;
  return true;
}

bool SetTimeouts(Handle port, const Timeouts& timeouts) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  port->timeouts = timeouts;
  return true;
}

bool ReadBytes(Handle port, void* buffer, std::uint32_t length, std::uint32_t* count,
               Overlapped* overlapped) {
  if (count != nullptr) *count = 0;
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (overlapped != nullptr && port->readPending) return Fail(kErrorInvalidParameter);
  ResetRecord(overlapped);
  PushTransmitQueue(*port);
  auto* bytes = static_cast<std::uint8_t*>(buffer);
  std::uint32_t received = 0;
  const bool atOnce = ReturnsAtOnce(port->timeouts);
  if (!ReadArrived(*port, bytes, length, received)) {
    if (overlapped != nullptr) CompleteTransfer(*overlapped, t_lastError, received);
    return false;
  }
  if (!atOnce && received < length) {
    const std::uint64_t deadline = ReadDeadline(port->timeouts, length);
    if (overlapped != nullptr) {
      port->readPending = true;
      port->pending = PendingRead{overlapped, bytes, length, received, deadline};
      if (overlapped->hEvent != nullptr) EventOf(overlapped->hEvent)->driver = port;
      return Fail(kErrorIoPending);
    }
    if (!ReadUntil(*port, bytes, length, received, deadline, UINT64_MAX)) return false;
  }
  if (overlapped != nullptr) CompleteTransfer(*overlapped, kErrorSuccess, received);
  if (count != nullptr) *count = received;
  return true;
}

bool WriteBytes(Handle port, const void* buffer, std::uint32_t length, std::uint32_t* count,
                Overlapped* overlapped) {
  if (count != nullptr) *count = 0;
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  ResetRecord(overlapped);
  const auto finish = [overlapped, count](std::uint32_t error, std::uint32_t written) {
    if (overlapped != nullptr) CompleteTransfer(*overlapped, error, written);
    if (count != nullptr && error == kErrorSuccess) *count = written;
    return error == kErrorSuccess || Fail(error);
  };
  if (!PushTransmitQueue(*port)) return finish(t_lastError, 0);
  const auto* bytes = static_cast<const std::uint8_t*>(buffer);
  std::uint32_t taken = 0;
  while (port->transmitQueue.empty() && taken < length) {
    const ssize_t written = ::write(port->fd, bytes + taken, length - taken);
    if (written > 0) {
      taken += static_cast<std::uint32_t>(written);
    } else if (written < 0 && errno == EAGAIN) {
      break;
    } else if (written == 0 || errno != EINTR) {
      return finish(SystemErrorOf(written == 0 ? EIO : errno), 0);
    }
  }
  try {
    port->transmitQueue.insert(port->transmitQueue.end(), bytes + taken, bytes + length);
  } catch (const std::bad_alloc&) {
    return finish(kErrorNotEnoughMemory, taken);
  }
  return finish(kErrorSuccess, length);
}

bool GetTransferResult(Handle port, Overlapped& overlapped, std::uint32_t& count, bool wait) {
  count = 0;
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (port->readPending && port->pending.overlapped == &overlapped) {
    if (!wait) return Fail(kErrorIoIncomplete);
    while (!DrivePendingRead(*port, UINT64_MAX)) {
    }
  }
  count = static_cast<std::uint32_t>(overlapped.InternalHigh);
  const auto error = static_cast<std::uint32_t>(overlapped.Internal);
  return error == kErrorSuccess || Fail(error);
}

bool CancelTransfer(Handle port, Overlapped& overlapped) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (port->readPending && port->pending.overlapped == &overlapped) {
    FinishPendingRead(*port, kErrorOperationAborted);
  }
  return true;
}

bool Purge(Handle port, std::uint32_t flags) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if ((flags & kPurgeRxAbort) != 0 && port->readPending) {
    FinishPendingRead(*port, kErrorOperationAborted);
  }
  if ((flags & kPurgeTxClear) != 0) {
    port->transmitQueue.clear();
    if (::tcflush(port->fd, TCOFLUSH) != 0) return FailErrno();
  }
  if ((flags & kPurgeRxClear) != 0 && ::tcflush(port->fd, TCIFLUSH) != 0) return FailErrno();
  return true;
}

bool ClearErrors(Handle port, QueueStatus& status) {
  status = QueueStatus{};
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  PushTransmitQueue(*port);
  int kernelOutput = 0;
  if (::ioctl(port->fd, TIOCOUTQ, &kernelOutput) != 0) return FailErrno();
  status.outQueue = static_cast<std::uint32_t>(port->transmitQueue.size()) +
                    static_cast<std::uint32_t>(kernelOutput);
  status.inQueue = static_cast<std::uint32_t>(BytesReceived(port->fd));
  return true;
}

bool GetModemStatus(Handle port, std::uint32_t& status) {
  status = 0;
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  int lines = 0;
  if (::ioctl(port->fd, TIOCMGET, &lines) != 0) return FailErrno();
  if ((lines & TIOCM_CTS) != 0) status |= kModemCtsOn;
  if ((lines & TIOCM_DSR) != 0) status |= kModemDsrOn;
  if ((lines & TIOCM_RNG) != 0) status |= kModemRingOn;
  if ((lines & TIOCM_CAR) != 0) status |= kModemRlsdOn;
  return true;
}

bool ApplyDefaultConfig(Handle port, const char*) {
  return port != nullptr || Fail(kErrorInvalidHandle);
}

Signal CreateSignal() {
  const int fd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  if (fd < 0) {
    FailErrno();
    return nullptr;
  }
  auto* signal = new (std::nothrow) SignalObject{fd};
  if (signal == nullptr) {
    ::close(fd);
    Fail(kErrorNotEnoughMemory);
  }
  return signal;
}

void DestroySignal(Signal signal) {
  if (signal == nullptr) return;
  ::close(signal->fd);
  delete signal;
}

void RaiseSignal(Signal signal) {
  if (signal == nullptr) return;
  const std::uint64_t one = 1;
  // A counter already at its limit is raised anyway, so a failed write changes nothing.
  [[maybe_unused]] const ssize_t written = ::write(signal->fd, &one, sizeof(one));
}

void ClearSignal(Signal signal) {
  if (signal == nullptr) return;
  std::uint64_t count = 0;
  [[maybe_unused]] const ssize_t taken = ::read(signal->fd, &count, sizeof(count));
}

bool WaitSignal(Signal signal, std::uint32_t milliseconds) {
  const Deadline deadline(milliseconds);
  if (signal == nullptr) {
    SleepUntil(deadline.at);
    return false;
  }
  return PortPoll(-1, signal).Wait(deadline) == WaitResult::kBroken;
}

WaitResult WaitReadable(Handle port, std::uint32_t milliseconds, Signal breakSignal,
                        std::uint8_t& /*taken*/, bool& tookByte) {
  tookByte = false;
  if (port == nullptr) {
    Fail(kErrorInvalidHandle);
    return WaitResult::kFailed;
  }
  const Deadline deadline(milliseconds);
  for (;;) {
    PortPoll poll(port->fd, breakSignal);
    poll.Port().events = port->transmitQueue.empty() ? POLLIN : POLLIN | POLLOUT;
    const WaitResult result = poll.Wait(deadline);
    if (result != WaitResult::kReady) {
      // A hung-up line may still hold what came before the end.
      if (result == WaitResult::kFailed && BytesReceived(port->fd) > 0) return WaitResult::kReady;
      return result;
    }
    if ((poll.Port().revents & POLLIN) != 0) return WaitResult::kReady;
    PushTransmitQueue(*port);
  }
}

WaitResult WaitOutputDrained(Handle port, std::uint32_t milliseconds, Signal breakSignal) {
  if (port == nullptr) {
    Fail(kErrorInvalidHandle);
    return WaitResult::kFailed;
  }
  const Deadline deadline(milliseconds);
  GrowingInterval checks;
  for (;;) {
    if (!PushTransmitQueue(*port)) return WaitResult::kFailed;
    PortPoll poll(port->fd, breakSignal);
    if (!port->transmitQueue.empty()) {
      // Our queue waits for room in the kernel's, which poll announces.
      poll.Port().events = POLLOUT;
      const WaitResult result = poll.Wait(deadline);
      if (result != WaitResult::kReady) return result;
      continue;
    }
    int kernelOutput = 0;
    if (::ioctl(port->fd, TIOCOUTQ, &kernelOutput) != 0) {
      FailErrno();
      return WaitResult::kFailed;
    }
    if (kernelOutput == 0) return WaitResult::kReady;
    // Nothing announces that the kernel's queue has emptied: look again after a
    // while, still ending at once on a break or a hang-up.
    const WaitResult result = poll.Wait(deadline.Sooner(checks.Next()));
    if (result != WaitResult::kTimedOut || deadline.Passed()) return result;
  }
}

}  // namespace zelvane::platform::comm
