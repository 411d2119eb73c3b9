#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

#include "platform/comm.h"
#include "platform/growing_interval.h"
#include "platform/wait_deadline.h"

namespace zelvane::platform::comm {

// Our record is handed to the system as its OVERLAPPED.
static_assert(sizeof(Overlapped) == sizeof(OVERLAPPED));
static_assert(offsetof(Overlapped, InternalHigh) == offsetof(OVERLAPPED, InternalHigh));
static_assert(offsetof(Overlapped, Offset) == offsetof(OVERLAPPED, Offset));
static_assert(offsetof(Overlapped, hEvent) == offsetof(OVERLAPPED, hEvent));

namespace {

bool Fail(DWORD code) {
  ::SetLastError(code);
  return false;
}

// The transmit queue of a port: bytes handed over by WriteBytes go out through one
// overlapped write at a time, so that no caller ever waits for the line. The write in
// flight owns its buffer and record until it has completed or was cancelled and
// collected.
class TransmitQueue {
 public:
  ~TransmitQueue() {
    if (m_record.hEvent != nullptr) ::CloseHandle(m_record.hEvent);
  }

  bool Prepare() {
    if (m_record.hEvent == nullptr) m_record.hEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    return m_record.hEvent != nullptr;
  }

  // Queues the bytes and starts a write when none is in flight.
  bool Add(HANDLE file, const void* bytes, DWORD length) {
    const auto* first = static_cast<const std::uint8_t*>(bytes);
    try {
      m_waiting.insert(m_waiting.end(), first, first + length);
    } catch (const std::bad_alloc&) {
      return Fail(ERROR_NOT_ENOUGH_MEMORY);
    }
    return Pump(file);
  }

  // Collects a finished write and starts the next. False when the port refused output;
  // what it refused is dropped, as nothing could ever send it.
  bool Pump(HANDLE file) {
    if (m_writing) {
      DWORD moved = 0;
      if (!::GetOverlappedResult(file, &m_record, &moved, FALSE)) {
        return ::GetLastError() == ERROR_IO_INCOMPLETE || Drop();
      }
      m_writing = false;
      // A write cut short (by a write time-out of the system) sends its rest first.
      m_inFlight.erase(m_inFlight.begin(),
                       m_inFlight.begin() + std::min<std::size_t>(moved, m_inFlight.size()));
      m_waiting.insert(m_waiting.begin(), m_inFlight.begin(), m_inFlight.end());
      m_inFlight.clear();
    }
    if (m_waiting.empty()) return true;
    m_inFlight.swap(m_waiting);
    const HANDLE done = m_record.hEvent;
    m_record = OVERLAPPED{};
    m_record.hEvent = done;
    ::ResetEvent(done);
    // Completed at once or not, the record tells; the next call collects it.
    if (!::WriteFile(file, m_inFlight.data(), static_cast<DWORD>(m_inFlight.size()), nullptr,
                     &m_record) &&
        ::GetLastError() != ERROR_IO_PENDING) {
      return Drop();
    }
    m_writing = true;
    return true;
  }

  // Cancels the write in flight and forgets everything queued.
  void Discard(HANDLE file) {
    if (m_writing) {
      ::CancelIoEx(file, &m_record);
      DWORD ignored = 0;
      ::GetOverlappedResult(file, &m_record, &ignored, TRUE);
      m_writing = false;
    }
    m_inFlight.clear();
    m_waiting.clear();
  }

  bool Writing() const { return m_writing; }
  HANDLE WriteDone() const { return m_record.hEvent; }
  std::size_t Size() const { return m_inFlight.size() + m_waiting.size(); }

 private:
  bool Drop() {
    const DWORD error = ::GetLastError();
    m_writing = false;
    m_inFlight.clear();
    m_waiting.clear();
    return Fail(error);
  }

  OVERLAPPED m_record{};
  bool m_writing = false;
  std::vector<std::uint8_t> m_inFlight;
  std::vector<std::uint8_t> m_waiting;
};

}  // namespace

struct PortObject {
  HANDLE file = INVALID_HANDLE_VALUE;
  TransmitQueue output;
  // For the one-byte read of WaitReadable.
  HANDLE waitEvent = nullptr;
  // The read time-outs last set by the caller, which WaitReadable puts back.
  COMMTIMEOUTS timeouts{};
  // They say that a read returns at once with what has come.
  bool readsReturnAtOnce = false;
};

struct SignalObject {
  HANDLE event;  // manual reset: stays signalled until cleared
};

namespace {

OVERLAPPED* SystemRecord(Overlapped* overlapped) {
  return reinterpret_cast<OVERLAPPED*>(overlapped);
}

bool QueueCounts(PortObject& port, COMSTAT& counts) {
  DWORD errors = 0;
  return ::ClearCommError(port.file, &errors, &counts) != FALSE;
}

// Marks a caller's record as completed with `count` bytes, as the system would.
void CompleteRecord(Overlapped* overlapped, std::uint32_t count) {
  if (overlapped == nullptr) return;
  overlapped->Internal = ERROR_SUCCESS;
  overlapped->InternalHigh = count;
  if (overlapped->hEvent != nullptr) ::SetEvent(overlapped->hEvent);
}

// Waits for `event` or the break signal; the result as the port waits report it.
WaitResult WaitForEventOrBreak(HANDLE event, Signal breakSignal, DWORD milliseconds) {
  HANDLE handles[2] = {event, breakSignal != nullptr ? breakSignal->event : nullptr};
  const DWORD count = handles[1] != nullptr ? 2 : 1;
  switch (::WaitForMultipleObjects(count, handles, FALSE, milliseconds)) {
    case WAIT_OBJECT_0: return WaitResult::kReady;
    case WAIT_OBJECT_0 + 1: return WaitResult::kBroken;
    case WAIT_TIMEOUT: return WaitResult::kTimedOut;
    default: return WaitResult::kFailed;
  }
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
  port->waitEvent = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (port->waitEvent == nullptr || !port->output.Prepare()) {
    const DWORD error = ::GetLastError();
    ::CloseHandle(file);
    if (port->waitEvent != nullptr) ::CloseHandle(port->waitEvent);
    delete port;
    Fail(error);
    return nullptr;
  }
  return port;
}

bool CloseDevice(Handle port) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  // Held-back output would otherwise keep the close waiting for the line, so what is
  // still queued is dropped. Output that has left the queues is never purged: Wine
  // takes it back from a pseudo-terminal's other end before that end read it, and a
  // driver may take it out of the UART's FIFO, so the last answer of a transfer (an
  // ACK, an end marker) could be lost.
  port->output.Pump(port->file);
  DWORD errors = 0;
  COMSTAT counts{};
  const bool outputWaits = port->output.Writing() || port->output.Size() > 0 ||
                           !::ClearCommError(port->file, &errors, &counts) || counts.cbOutQue > 0;
  port->output.Discard(port->file);
  ::PurgeComm(port->file,
              PURGE_RXABORT | PURGE_RXCLEAR | (outputWaits ? PURGE_TXABORT | PURGE_TXCLEAR : 0));
  ::CancelIoEx(port->file, nullptr);
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
  port->timeouts = system;
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
      CompleteRecord(overlapped, 0);
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
  if (!port->output.Add(port->file, buffer, length)) return false;
  if (count != nullptr) *count = length;
  CompleteRecord(overlapped, length);
  return true;
}

bool GetTransferResult(Handle port, Overlapped& overlapped, std::uint32_t& count, bool wait) {
  count = 0;
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  DWORD moved = 0;
  const BOOL done = ::GetOverlappedResult(port->file, SystemRecord(&overlapped), &moved, wait);
  count = moved;
  return done != FALSE;
}

bool CancelTransfer(Handle port, Overlapped& overlapped) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  return ::CancelIoEx(port->file, SystemRecord(&overlapped)) != FALSE;
}

bool Purge(Handle port, std::uint32_t flags) {
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  // The transmit queue is ours: clearing output drops it, the write in flight too.
  if ((flags & kPurgeTxClear) != 0) {
    port->output.Discard(port->file);
    flags |= PURGE_TXABORT;
  }
  return ::PurgeComm(port->file, flags) != FALSE;
}

bool ClearErrors(Handle port, QueueStatus& status) {
  status = QueueStatus{};
  if (port == nullptr) return Fail(ERROR_INVALID_HANDLE);
  port->output.Pump(port->file);
  DWORD errors = 0;
  COMSTAT counts{};
  if (!::ClearCommError(port->file, &errors, &counts)) return false;
  status.errors = errors;
  status.inQueue = counts.cbInQue;
  // Windows counts a pending write in its queue, Wine only what the kernel holds.
  status.outQueue = counts.cbOutQue;
  if (port->output.Writing()) {
    status.outQueue = std::max<std::uint32_t>(
        status.outQueue,
        static_cast<std::uint32_t>(std::min<std::size_t>(port->output.Size(), MAXDWORD)));
  }
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

Signal CreateSignal() {
  const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (event == nullptr) return nullptr;
  auto* signal = new (std::nothrow) SignalObject{event};
  if (signal == nullptr) {
    ::CloseHandle(event);
    Fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  return signal;
}

void DestroySignal(Signal signal) {
  if (signal == nullptr) return;
  ::CloseHandle(signal->event);
  delete signal;
}

void RaiseSignal(Signal signal) {
  if (signal != nullptr) ::SetEvent(signal->event);
}

void ClearSignal(Signal signal) {
  if (signal != nullptr) ::ResetEvent(signal->event);
}

bool WaitSignal(Signal signal, std::uint32_t milliseconds) {
  if (signal == nullptr) {
    ::Sleep(milliseconds);
    return false;
  }
  return ::WaitForSingleObject(signal->event, milliseconds) == WAIT_OBJECT_0;
}

namespace {

// Waiting for input by reading one byte: an overlapped read waits in the system's
// own event loop, where WaitCommEvent is polled by Wine (a busy processor on a silent
// line). The read's time-out is the wait's limit; the wait itself allows a margin
// beyond it and cancels the read when the break comes first. Either way the read is
// over before its record goes, and a byte that arrived during the cancel is kept.
WaitResult WaitForOneByte(PortObject& port, DWORD milliseconds, Signal breakSignal,
                          std::uint8_t& taken, bool& tookByte) {
  // {0, 0, N}: wait up to N ms for the byte (0: without limit).
  COMMTIMEOUTS oneByte = port.timeouts;
  oneByte.ReadIntervalTimeout = 0;
  oneByte.ReadTotalTimeoutMultiplier = 0;
  oneByte.ReadTotalTimeoutConstant = milliseconds == INFINITE ? 0 : milliseconds;
  if (!::SetCommTimeouts(port.file, &oneByte)) return WaitResult::kFailed;

  constexpr DWORD kMarginMs = 50;
  OVERLAPPED record{};
  record.hEvent = port.waitEvent;
  DWORD moved = 0;
  WaitResult result = WaitResult::kReady;
  DWORD error = ERROR_SUCCESS;
  if (!::ReadFile(port.file, &taken, 1, nullptr, &record)) {
    error = ::GetLastError();
    if (error == ERROR_IO_PENDING) {
      result = WaitForEventOrBreak(port.waitEvent, breakSignal,
                                   milliseconds == INFINITE ? INFINITE : milliseconds + kMarginMs);
      if (result != WaitResult::kReady) ::CancelIoEx(port.file, &record);
      error = ::GetOverlappedResult(port.file, &record, &moved, TRUE) ? ERROR_SUCCESS
                                                                      : ::GetLastError();
    }
  } else {
    ::GetOverlappedResult(port.file, &record, &moved, TRUE);
  }
  ::SetCommTimeouts(port.file, &port.timeouts);
  tookByte = moved == 1;
  if (tookByte) return WaitResult::kReady;
  if (result != WaitResult::kReady) return result;
  // A time-out: Windows completes the read with no byte, Wine fails it.
  if (error == ERROR_SUCCESS || error == ERROR_TIMEOUT || error == ERROR_OPERATION_ABORTED) {
    return WaitResult::kTimedOut;
  }
  ::SetLastError(error);
  return WaitResult::kFailed;
}

}  // namespace

// A long wait is made of reads of at most a second, with a look at the port's queue
// before each: Wine leaves a read pending until its time-out when the line hangs up
// while it waits (a device unplugged), but asking for the queue of such a line fails.
WaitResult WaitReadable(Handle port, std::uint32_t milliseconds, Signal breakSignal,
                        std::uint8_t& taken, bool& tookByte) {
  tookByte = false;
  if (port == nullptr) {
    Fail(ERROR_INVALID_HANDLE);
    return WaitResult::kFailed;
  }
  constexpr DWORD kLongestReadMs = 1000;
  const Deadline deadline(milliseconds);
  for (;;) {
    COMSTAT counts{};
    if (!QueueCounts(*port, counts)) return WaitResult::kFailed;
    if (counts.cbInQue > 0) return WaitResult::kReady;
    const DWORD left = deadline.Left();
    if (left == 0) return WaitResult::kTimedOut;
    const WaitResult result =
        WaitForOneByte(*port, std::min(left, kLongestReadMs), breakSignal, taken, tookByte);
    if (result != WaitResult::kTimedOut) return result;
  }
}

WaitResult WaitOutputDrained(Handle port, std::uint32_t milliseconds, Signal breakSignal) {
  if (port == nullptr) {
    Fail(ERROR_INVALID_HANDLE);
    return WaitResult::kFailed;
  }
  const Deadline deadline(milliseconds);
  GrowingInterval checks;
  for (;;) {
    if (!port->output.Pump(port->file)) return WaitResult::kFailed;
    if (port->output.Writing()) {
      const WaitResult result =
          WaitForEventOrBreak(port->output.WriteDone(), breakSignal, deadline.Left());
      if (result != WaitResult::kReady) return result;
      continue;
    }
    COMSTAT counts{};
    if (!QueueCounts(*port, counts)) return WaitResult::kFailed;
    if (counts.cbOutQue == 0) return WaitResult::kReady;
    // What the driver (or under Wine the kernel) still holds announces nothing.
    const DWORD left = deadline.Left();
    if (left == 0) return WaitResult::kTimedOut;
    if (WaitSignal(breakSignal, std::min<DWORD>(left, checks.Next()))) return WaitResult::kBroken;
  }
}

}  // namespace zelvane::platform::comm
