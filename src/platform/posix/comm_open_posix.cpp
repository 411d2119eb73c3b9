// The open of the termios backend with the locks of Linux serial programs, the close,
// and the line state of an open port.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>
#include <string_view>

#include "platform/comm.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/port_holders.h"
#include "platform/posix/port_object.h"
#include "platform/posix/termios_settings.h"
#include "platform/posix/uucp_lock.h"

namespace zelvane::platform::comm {

namespace {

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

}  // namespace zelvane::platform::comm
