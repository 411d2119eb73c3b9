// The transfers of the termios backend: non-blocking writes through the port's own
// transmit queue, reads that honour the time-outs, and the emulated overlapped read
// that whoever waits on its event drives.
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/comm.h"
#include "platform/posix/errno_mapping.h"
#include "platform/posix/port_object.h"
#include "platform/threads.h"
#include "platform/wait_deadline.h"

namespace zelvane::platform::comm {

bool HungUp(int fd) {
  pollfd probe{fd, POLLIN, 0};
  return ::poll(&probe, 1, 0) > 0 && (probe.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
}

int BytesReceived(int fd) {
  int count = 0;
  return ::ioctl(fd, FIONREAD, &count) == 0 ? count : 0;
}

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

namespace {

void CompleteTransfer(Overlapped& overlapped, std::uint32_t error, std::uint32_t count) {
  overlapped.Internal = error;
  overlapped.InternalHigh = count;
  if (overlapped.hEvent != nullptr) EventOf(overlapped.hEvent)->signalled.store(true);
}

}  // namespace

void FinishPendingRead(PortObject& port, std::uint32_t error) {
  port.readPending = false;
  TransferEvent* event = EventOf(port.pending.overlapped->hEvent);
  if (event != nullptr) event->driver = nullptr;
  CompleteTransfer(*port.pending.overlapped, error, port.pending.received);
}

namespace {

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

// The total time-out of a read of `length` bytes; none when it comes to 0.
Deadline ReadDeadline(const Timeouts& timeouts, std::uint32_t length) {
  const std::uint64_t total =
      static_cast<std::uint64_t>(timeouts.ReadTotalTimeoutMultiplier) * length +
      timeouts.ReadTotalTimeoutConstant;
  if (total == 0) return Deadline(kInfinite);
  return Deadline(static_cast<std::uint32_t>(std::min<std::uint64_t>(total, kInfinite - 1)));
}

// Reads until the length is reached, the deadline passed or the device failed. True
// with the bytes received unless the device failed.
bool ReadUntil(PortObject& port, std::uint8_t* buffer, std::uint32_t length,
               std::uint32_t& received, const Deadline& deadline, const Deadline& waitUntil) {
  for (;;) {
    if (!ReadArrived(port, buffer, length, received)) return false;
    if (received == length || deadline.Passed() || waitUntil.Passed()) return true;
    pollfd readable{port.fd, POLLIN, 0};
    const int ready = ::poll(&readable, 1, PollTimeout(deadline.Sooner(waitUntil)));
    if (ready < 0 && errno != EINTR) return FailErrno();
  }
}

// Drives the pending read for at most until `waitUntil`; true once it has completed.
bool DrivePendingRead(PortObject& port, const Deadline& waitUntil) {
  PendingRead& pending = port.pending;
  if (!ReadUntil(port, pending.buffer, pending.length, pending.received, pending.deadline,
                 waitUntil)) {
    FinishPendingRead(port, LastError());
    return true;
  }
  if (pending.received == pending.length || pending.deadline.Passed()) {
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
}  // namespace

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
  const Deadline deadline(milliseconds);
  for (;;) {
    if (waited.signalled.load()) return kWaitSignalled;
    if (waited.driver != nullptr) {
      if (DrivePendingRead(*waited.driver, deadline)) return kWaitSignalled;
    } else {
      SleepMs(1);
    }
    if (deadline.Passed()) return waited.signalled.load() ? kWaitSignalled : kWaitTimeout;
  }
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
    if (overlapped != nullptr) CompleteTransfer(*overlapped, LastError(), received);
    return false;
  }
  if (!atOnce && received < length) {
    const Deadline deadline = ReadDeadline(port->timeouts, length);
    if (overlapped != nullptr) {
      port->readPending = true;
      port->pending = PendingRead{overlapped, bytes, length, received, deadline};
      if (overlapped->hEvent != nullptr) EventOf(overlapped->hEvent)->driver = port;
      return Fail(kErrorIoPending);
    }
    if (!ReadUntil(*port, bytes, length, received, deadline, Deadline(kInfinite))) return false;
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
  if (!PushTransmitQueue(*port)) return finish(LastError(), 0);
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
    while (!DrivePendingRead(*port, Deadline(kInfinite))) {
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

}  // namespace zelvane::platform::comm
