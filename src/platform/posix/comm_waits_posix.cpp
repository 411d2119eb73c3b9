// The break signal and the waits of the termios backend: each sleeps in poll() on the
// port together with the signal's eventfd, so a break ends it at once.
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <new>

#include "platform/comm.h"
#include "platform/growing_interval.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/port_object.h"
#include "platform/threads.h"
#include "platform/wait_deadline.h"

namespace zelvane::platform::comm {

struct SignalObject {
  int fd;  // an eventfd, readable while raised
};

namespace {

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
      const int ready = ::poll(m_watched, 2, PollTimeout(deadline));
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

}  // namespace

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
    SleepMs(deadline.Left());
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
