#include <windows.h>

#include <cstddef>
#include <new>

#include "platform/comm.h"

namespace zelvane::platform::comm {

// Our record is handed to the system as its OVERLAPPED.
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(Overlapped, InternalHigh) == offsetof(OVERLAPPED, InternalHigh));
static_assert(offsetof(Overlapped, Offset) == offsetof(OVERLAPPED, Offset));
static_assert(offsetof(Overlapped, hEvent) == offsetof(OVERLAPPED, hEvent));

struct PortObject {
  HANDLE file = INVALID_HANDLE_VALUE;
  // For the waits of WaitReadable and WaitOutputDrained; made on first use.
  HANDLE waitEvent = nullptr;
  // The read time-outs last set say that a read returns at once with what has come.
  bool readsReturnAtOnce = false;
};

namespace {

OVERLAPPED* SystemRecord(Overlapped* overlapped) {
  return reinterpret_cast<OVERLAPPED*>(overlapped);
}

bool Fail(DWORD code) {
  ::SetLastError(code);
  return false;
}

enum class CommWait { kHappened, kTimedOut, kFailed };

// Waits up to `milliseconds` for one of `events` with an overlapped WaitCommEvent. A
// wait that timed out is cancelled and collected before its record goes out of scope,
// so nothing is left pending on the port (a pending wait would also make the next
// open of the port fail after CloseHandle).
//
// The events are added to the port's mask and stay there. An event recorded for the
// other kind of wait only ends one wait early; the callers check the queue counts.
// (Under Wine 8 a pending WaitCommEvent costs processor time of its own, as Wine
// polls the device for it; Windows does not.)
CommWait WaitForCommEvent(PortObject& port, DWORD events, DWORD milliseconds) {
  DWORD mask = 0;
  if (!::GetCommMask(port.file, &mask)) return CommWait::kFailed;
  if ((mask & events) != events && !::SetCommMask(port.file, mask | events)) {
    return CommWait::kFailed;
  }
  if (port.waitEvent == nullptr) {
    port.waitEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (port.waitEvent == nullptr) return CommWait::kFailed;
  }
  OVERLAPPED record{};
  record.hEvent = port.waitEvent;
  DWORD happened = 0;
  if (::WaitCommEvent(port.file, &happened, &record)) return CommWait::kHappened;
  if (::GetLastError() != ERROR_IO_PENDING) return CommWait::kFailed;
  const DWORD waited = ::WaitForSingleObject(port.waitEvent, milliseconds);
  if (waited != WAIT_OBJECT_0) ::CancelIoEx(port.file, &record);
  DWORD ignored = 0;
  ::GetOverlappedResult(port.file, &record, &ignored, TRUE);
  if (waited == WAIT_OBJECT_0) return CommWait::kHappened;
  return waited == WAIT_TIMEOUT ? CommWait::kTimedOut : CommWait::kFailed;
}

bool QueueCounts(PortObject& port, COMSTAT& counts) {
  DWORD errors = 0;
  return ::ClearCommError(port.file, &errors, &counts) != FALSE;
}

// A wait that cannot be done still takes its time, so that callers polling in a loop
// do not spin.
bool SitOut(DWORD milliseconds) {
  const DWORD error = ::GetLastError();
  if (milliseconds != INFINITE) ::Sleep(milliseconds);
  return Fail(error);
}

}  // namespace

std::uint32_t LastError() {
  return ::GetLastError();
}

Handle OpenDevice(const char* name, bool overlapped) {
  const HANDLE file = ::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    overlapped ? FILE_FLAG_OVERLAPPED : 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  auto* port = new (std::nothrow) PortObject;
  if (port == nullptr) {
    ::CloseHandle(file);
    Fail(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  port->file = file;
  return port;
}

bool CloseDevice(Handle port) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  ::CancelIo(port->file);
  const BOOL closed = ::CloseHandle(port->file);
  const DWORD error = ::GetLastError();
  if (port->waitEvent != nullptr) ::CloseHandle(port->waitEvent);
  delete port;
  return closed != FALSE || Fail(error);
}

Event CreateTransferEvent() {
  return ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

bool CloseTransferEvent(Event event) {
  return ::CloseHandle(event) != FALSE;
}

bool SignalTransferEvent(Event event) {
  return ::SetEvent(event) != FALSE;
}

std::uint32_t WaitTransferEvent(Event event, std::uint32_t milliseconds) {
  return ::WaitForSingleObject(event, milliseconds);
}

bool SetupQueues(Handle port, std::uint32_t inSize, std::uint32_t outSize) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::SetupComm(port->file, inSize, outSize) != FALSE;
}

bool SetEventMask(Handle port, std::uint32_t mask) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::SetCommMask(port->file, mask) != FALSE;
}

bool GetState(Handle port, Dcb& dcb) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DCB system{};
  system.DCBlength = sizeof(system);
  if (!::GetCommState(port->file, &system)) return false;
  dcb.BaudRate = system.BaudRate;
  dcb.ByteSize = system.ByteSize;
  dcb.Parity = system.Parity;
  dcb.StopBits = system.StopBits;
  dcb.fParity = system.fParity != 0;
  dcb.fOutxCtsFlow = system.fOutxCtsFlow != 0;
  dcb.fOutxDsrFlow = system.fOutxDsrFlow != 0;
  dcb.fDtrControl = static_cast<std::uint8_t>(system.fDtrControl);
  dcb.fRtsControl = static_cast<std::uint8_t>(system.fRtsControl);
  dcb.fOutX = system.fOutX != 0;
  dcb.fInX = system.fInX != 0;
  return true;
}

bool SetState(Handle port, const Dcb& dcb) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  // Read first so that the fields we do not carry keep their values.
  DCB system{};
  system.DCBlength = sizeof(system);
  if (!::GetCommState(port->file, &system)) return false;
  system.BaudRate = dcb.BaudRate;
  system.ByteSize = dcb.ByteSize;
  system.Parity = dcb.Parity;
  system.StopBits = dcb.StopBits;
  system.fParity = dcb.fParity;
  system.fOutxCtsFlow = dcb.fOutxCtsFlow;
  system.fOutxDsrFlow = dcb.fOutxDsrFlow;
  system.fDtrControl = dcb.fDtrControl;
  system.fRtsControl = dcb.fRtsControl;
  system.fOutX = dcb.fOutX;
  system.fInX = dcb.fInX;
  return ::SetCommState(port->file, &system) != FALSE;
}

bool GetTimeouts(Handle port, Timeouts& timeouts) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  COMMTIMEOUTS system{};
  if (!::GetCommTimeouts(port->file, &system)) return false;
  timeouts.ReadIntervalTimeout = system.ReadIntervalTimeout;
  timeouts.ReadTotalTimeoutMultiplier = system.ReadTotalTimeoutMultiplier;
  timeouts.ReadTotalTimeoutConstant = system.ReadTotalTimeoutConstant;
  timeouts.WriteTotalTimeoutMultiplier = system.WriteTotalTimeoutMultiplier;
  timeouts.WriteTotalTimeoutConstant = system.WriteTotalTimeoutConstant;
  return true;
}

bool SetTimeouts(Handle port, const Timeouts& timeouts) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  COMMTIMEOUTS system{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                      timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                      timeouts.WriteTotalTimeoutConstant};
  if (!::SetCommTimeouts(port->file, &system)) return false;
  port->readsReturnAtOnce = timeouts.ReadIntervalTimeout == MAXDWORD &&
                            timeouts.ReadTotalTimeoutMultiplier == 0 &&
                            timeouts.ReadTotalTimeoutConstant == 0;
  return true;
}

bool ReadBytes(Handle port, void* buffer, std::uint32_t length, std::uint32_t* count,
               Overlapped* overlapped) {
  if (count != nullptr) *count = 0;
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  if (port->readsReturnAtOnce) {
    // Asks for no more than the driver holds, and nothing on a silent line: the
    // same result, but Wine leaves such an overlapped read of a silent line pending
    // instead of completing it at once.
    COMSTAT counts{};
    if (!QueueCounts(*port, counts)) return false;
    if (counts.cbInQue < length) length = counts.cbInQue;
    if (length == 0) {
      if (overlapped != nullptr) {
        overlapped->Internal = ERROR_SUCCESS;
        overlapped->InternalHigh = 0;
        if (overlapped->hEvent != nullptr) ::SetEvent(overlapped->hEvent);
      }
      return true;
    }
  }
  DWORD moved = 0;
  const BOOL done = ::ReadFile(port->file, buffer, length, &moved, SystemRecord(overlapped));
  if (count != nullptr) *count = moved;
  return done != FALSE;
}

bool WriteBytes(Handle port, const void* buffer, std::uint32_t length, std::uint32_t* count,
                Overlapped* overlapped) {
  if (count != nullptr) *count = 0;
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DWORD moved = 0;
  const BOOL done = ::WriteFile(port->file, buffer, length, &moved, SystemRecord(overlapped));
  if (count != nullptr) *count = moved;
  return done != FALSE;
}

bool GetTransferResult(Handle port, Overlapped& overlapped, std::uint32_t& count, bool wait) {
  count = 0;
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DWORD moved = 0;
  const BOOL done = ::GetOverlappedResult(port->file, SystemRecord(&overlapped), &moved, wait);
  count = moved;
  return done != FALSE;
}

bool CancelTransfers(Handle port) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::CancelIo(port->file) != FALSE;
}

bool Purge(Handle port, std::uint32_t flags) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::PurgeComm(port->file, flags) != FALSE;
}

bool ClearErrors(Handle port, QueueStatus& status) {
  status = QueueStatus{};
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DWORD errors = 0;
  COMSTAT counts{};
  if (!::ClearCommError(port->file, &errors, &counts)) return false;
  status.errors = errors;
  status.inQueue = counts.cbInQue;
  status.outQueue = counts.cbOutQue;
  return true;
}

bool GetModemStatus(Handle port, std::uint32_t& status) {
  status = 0;
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DWORD lines = 0;
  if (!::GetCommModemStatus(port->file, &lines)) return false;
  status = lines;
  return true;
}

bool ApplyDefaultConfig(Handle port, const char* name) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  COMMCONFIG config{};
  // The size the configuration of a 32-bit system takes, provider data included.
  constexpr DWORD kConfigSize = 52;
  config.dwSize = kConfigSize;
  DWORD size = kConfigSize;
  if (!::GetDefaultCommConfigA(name, &config, &size)) return false;
  return ::SetCommConfig(port->file, &config, size) != FALSE;
}

bool WaitReadable(Handle port, std::uint32_t milliseconds) {
  if (port == nullptr) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return SitOut(milliseconds);
  }
  COMSTAT counts{};
  if (!QueueCounts(*port, counts)) return SitOut(milliseconds);
  if (counts.cbInQue > 0) return true;
  if (WaitForCommEvent(*port, EV_RXCHAR, milliseconds) == CommWait::kFailed) {
    return SitOut(milliseconds);
  }
  return QueueCounts(*port, counts) && counts.cbInQue > 0;
}

bool WaitOutputDrained(Handle port, std::uint32_t milliseconds) {
  if (port == nullptr) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return SitOut(milliseconds);
  }
  COMSTAT counts{};
  if (!QueueCounts(*port, counts)) return SitOut(milliseconds);
  if (counts.cbOutQue == 0) return true;
  if (WaitForCommEvent(*port, EV_TXEMPTY, milliseconds) == CommWait::kFailed) {
    return SitOut(milliseconds);
  }
  return QueueCounts(*port, counts) && counts.cbOutQue == 0;
}

}  // namespace zelvane::platform::comm
