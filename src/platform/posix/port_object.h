#pragma once

// The port object of the communications interface over termios, and what its three
// parts (the open with its locks, the transfers, the waits) share. The port behaves
// like a Windows serial driver as far as the engine can tell:
// - Writes never block: what the kernel does not take at once waits in the port's own
//   transmit queue and is pushed on by every later call (and by the waits), so the
//   output queue count is that queue plus the kernel's (TIOCOUTQ).
// - Reads honour the time-outs set with SetTimeouts; an overlapped read that has to
//   wait stays pending and is driven by whoever waits on its event.
// - Modem lines are optional: pseudo-terminals have none (TIOCMGET and TIOCMSET fail
//   with ENOTTY or EINVAL), so the wanted DTR and RTS states are only recorded there,
//   and GetModemStatus fails with kErrorInvalidFunction, as it does under Wine.

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>
#include <vector>

#include "platform/comm.h"
#include "platform/posix/uucp_lock.h"
#include "platform/wait_deadline.h"

namespace zelvane::platform::comm {

struct PortObject;

// An overlapped read that could not be satisfied at once.
struct PendingRead {
  Overlapped* overlapped = nullptr;
  std::uint8_t* buffer = nullptr;
  std::uint32_t length = 0;
  std::uint32_t received = 0;
  Deadline deadline{0};
};

struct TransferEvent {
  std::atomic<bool> signalled{false};
  // The port whose pending read completes this event once somebody waits for it.
  PortObject* driver = nullptr;
};

inline TransferEvent* EventOf(Event event) {
  return static_cast<TransferEvent*>(event);
}

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

// The deadline as a poll() time-out: -1 without a limit.
inline int PollTimeout(const Deadline& deadline) {
  const std::uint32_t left = deadline.Left();
  return left == kInfinite ? -1 : static_cast<int>(std::min<std::uint32_t>(left, INT_MAX));
}

// True when the device has hung up or failed.
bool HungUp(int fd);
// Received bytes the kernel holds.
int BytesReceived(int fd);
// Hands queued output to the kernel as far as it takes it. A device that refuses it
// for good has gone away: its queue is dropped, as nothing can ever send it.
bool PushTransmitQueue(PortObject& port);
// Completes the pending read with `error` (the bytes received so far stay its count).
void FinishPendingRead(PortObject& port, std::uint32_t error);

}  // namespace zelvane::platform::comm
