// The communications interface of the fuzz build: one in-memory line to the scripted
// device of scripted_line.h. Transfers complete at once, waits advance the virtual
// clock, and a vanished device fails every call as an unplugged adapter does.
#include <algorithm>
#include <cstring>

#include "platform/comm.h"
#include "scripted_line_state.h"

namespace zelvane::platform::comm {

struct PortObject {
  Dcb dcb;
  Timeouts timeouts;
};

struct SignalObject {
  bool raised = false;
};

namespace {

using fuzzing::Line;

thread_local std::uint32_t t_lastError = kErrorSuccess;

bool Fail(std::uint32_t code) {
  t_lastError = code;
  return false;
}

struct TransferEvent {
  bool signalled = false;
};

void Complete(Overlapped* overlapped, std::uint32_t count) {
  if (overlapped == nullptr) return;
  overlapped->Internal = kErrorSuccess;
  overlapped->InternalHigh = count;
  if (overlapped->hEvent != nullptr)
    static_cast<TransferEvent*>(overlapped->hEvent)->signalled = true;
}

// The device has vanished: the reason is left for LastError.
bool Gone() {
  if (!Line().vanished) return false;
  Fail(kErrorDeviceNotConnected);
  return true;
}

}  // namespace

std::uint32_t LastError() {
  return t_lastError;
}

Handle OpenDevice(const char*, bool) {
  if (Line().vanished) {
    Fail(kErrorFileNotFound);
    return nullptr;
  }
  return new PortObject;
}

bool CloseDevice(Handle port) {
  delete port;
  return true;
}

Event CreateTransferEvent() {
  return new TransferEvent;
}

bool CloseTransferEvent(Event event) {
  delete static_cast<TransferEvent*>(event);
  return true;
}

bool SignalTransferEvent(Event event) {
  static_cast<TransferEvent*>(event)->signalled = true;
  return true;
}

std::uint32_t WaitTransferEvent(Event event, std::uint32_t milliseconds) {
  if (static_cast<TransferEvent*>(event)->signalled) return kWaitSignalled;
  Line().nowMs += milliseconds == kInfinite ? 0 : milliseconds;
  return kWaitTimeout;
}

bool SetupQueues(Handle port, std::uint32_t, std::uint32_t) {
  return port != nullptr || Fail(kErrorInvalidHandle);
}

bool SetEventMask(Handle port, std::uint32_t) {
  return port != nullptr || Fail(kErrorInvalidHandle);
}

bool GetState(Handle port, Dcb& dcb) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  dcb = port->dcb;
  return true;
}

bool SetState(Handle port, const Dcb& dcb) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > kSpaceParity ||
      dcb.StopBits > kTwoStopBits) {
    return Fail(kErrorInvalidParameter);
  }
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
  if (Gone()) return false;
  std::string& received = Line().received;
  Line().ReleaseDue();
  const std::uint32_t taken = std::min<std::uint32_t>(length, received.size());
  std::memcpy(buffer, received.data(), taken);
  received.erase(0, taken);
  Complete(overlapped, taken);
  if (count != nullptr) *count = taken;
  return true;
}

bool WriteBytes(Handle port, const void* buffer, std::uint32_t length, std::uint32_t* count,
                Overlapped* overlapped) {
  if (count != nullptr) *count = 0;
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (Gone()) return false;
  Line().PcWrote(static_cast<const std::uint8_t*>(buffer), length);
  Complete(overlapped, length);
  if (count != nullptr) *count = length;
  return true;
}

bool GetTransferResult(Handle port, Overlapped& overlapped, std::uint32_t& count, bool) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  count = static_cast<std::uint32_t>(overlapped.InternalHigh);
  return true;
}

bool CancelTransfer(Handle port, Overlapped&) {
  return port != nullptr || Fail(kErrorInvalidHandle);
}

bool Purge(Handle port, std::uint32_t flags) {
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if ((flags & kPurgeRxClear) != 0) Line().received.clear();
  return true;
}

bool ClearErrors(Handle port, QueueStatus& status) {
  status = QueueStatus{};
  if (port == nullptr) return Fail(kErrorInvalidHandle);
  if (Gone()) return false;
  Line().ReleaseDue();
  status.inQueue = static_cast<std::uint32_t>(Line().received.size());
  return true;
}

// Like a pseudo-terminal, the line has no modem signals.
bool GetModemStatus(Handle port, std::uint32_t& status) {
  status = 0;
  return Fail(port == nullptr ? kErrorInvalidHandle : kErrorInvalidFunction);
}

bool ApplyDefaultConfig(Handle port, const char*) {
  return port != nullptr || Fail(kErrorInvalidHandle);
}

Signal CreateSignal() {
  return new SignalObject;
}

void DestroySignal(Signal signal) {
  delete signal;
}

void RaiseSignal(Signal signal) {
  if (signal != nullptr) signal->raised = true;
}

void ClearSignal(Signal signal) {
  if (signal != nullptr) signal->raised = false;
}

bool WaitSignal(Signal signal, std::uint32_t milliseconds) {
  if (signal != nullptr && signal->raised) return true;
  Line().nowMs += milliseconds == kInfinite ? 0 : milliseconds;
  return false;
}

WaitResult WaitReadable(Handle port, std::uint32_t milliseconds, Signal breakSignal, std::uint8_t&,
                        bool& tookByte) {
  tookByte = false;
  if (port == nullptr) return Fail(kErrorInvalidHandle), WaitResult::kFailed;
  if (breakSignal != nullptr && breakSignal->raised) return WaitResult::kBroken;
  // An endless wait on a silent device would hang the fuzzer: libFuzzer reports it as
  // a time-out, which is what such a wait would be in a shop.
  if (!Line().WaitForInput(milliseconds)) return WaitResult::kTimedOut;
  if (Gone()) return WaitResult::kFailed;
  return WaitResult::kReady;
}

WaitResult WaitOutputDrained(Handle port, std::uint32_t, Signal breakSignal) {
  if (port == nullptr) return Fail(kErrorInvalidHandle), WaitResult::kFailed;
  if (breakSignal != nullptr && breakSignal->raised) return WaitResult::kBroken;
  if (Gone()) return WaitResult::kFailed;
  return WaitResult::kReady;
}

}  // namespace zelvane::platform::comm
