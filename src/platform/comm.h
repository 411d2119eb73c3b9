#pragma once

#include <cstdint>

namespace zelvane::platform::comm {

// A small Win32-style communications interface: the Windows backend makes the real
// calls, the POSIX backend provides the same subset over termios. Calls that can fail
// return false and leave a Win32 system error code for LastError(), so the port engine
// sees the same codes on every platform.

// An open port; null when there is none.
using Handle = struct PortObject*;
// A manual-reset event for overlapped transfers; null when there is none.
using Event = void*;

inline constexpr std::uint32_t kInfinite = 0xFFFFFFFF;

// System error codes the engine and its callers distinguish.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorInvalidFunction = 1;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorInvalidHandle = 6;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorIoIncomplete = 996;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
inline constexpr std::uint32_t kErrorAlreadyInitialized = 1247;
inline constexpr std::uint32_t kErrorNoPermission = 1314;  // the user may not open it
inline constexpr std::uint32_t kErrorTimeout = 1460;
inline constexpr std::uint32_t kInvalidArgument = 0x80070057;  // E_INVALIDARG

// Results of WaitTransferEvent.
inline constexpr std::uint32_t kWaitSignalled = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFF;

// Line codes of Dcb.
inline constexpr std::uint8_t kNoParity = 0, kOddParity = 1, kEvenParity = 2, kMarkParity = 3,
                              kSpaceParity = 4;
inline constexpr std::uint8_t kOneStopBit = 0, kOne5StopBits = 1, kTwoStopBits = 2;
inline constexpr std::uint8_t kDtrControlDisable = 0, kDtrControlEnable = 1,
                              kDtrControlHandshake = 2;
inline constexpr std::uint8_t kRtsControlDisable = 0, kRtsControlEnable = 1,
                              kRtsControlHandshake = 2;

// Event mask bits.
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvBreak = 0x0040;
inline constexpr std::uint32_t kEvErr = 0x0080;

// Purge flags (aborting transmissions is not offered: writes complete at once).
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;
inline constexpr std::uint32_t kPurgeTxClear = 0x0004;
inline constexpr std::uint32_t kPurgeRxClear = 0x0008;

// Modem status bits.
inline constexpr std::uint32_t kModemCtsOn = 0x0010;
inline constexpr std::uint32_t kModemDsrOn = 0x0020;
inline constexpr std::uint32_t kModemRingOn = 0x0040;
inline constexpr std::uint32_t kModemRlsdOn = 0x0080;

// The fields of the device control block that the engine edits. SetState changes
// only these; whatever else the platform keeps about the line stays as it was.
struct Dcb {
  std::uint32_t BaudRate = 0;
  std::uint8_t ByteSize = 8;
  std::uint8_t Parity = kNoParity;
  std::uint8_t StopBits = kOneStopBit;
  bool fParity = false;
  bool fOutxCtsFlow = false;
  bool fOutxDsrFlow = false;
  std::uint8_t fDtrControl = kDtrControlEnable;
  std::uint8_t fRtsControl = kRtsControlEnable;
  bool fOutX = false;
  bool fInX = false;
};

struct Timeouts {
  std::uint32_t ReadIntervalTimeout = 0;
  std::uint32_t ReadTotalTimeoutMultiplier = 0;
  std::uint32_t ReadTotalTimeoutConstant = 0;
  std::uint32_t WriteTotalTimeoutMultiplier = 0;
  std::uint32_t WriteTotalTimeoutConstant = 0;
};

// The record of one overlapped transfer, laid out like the system's OVERLAPPED so that
// the Windows backend hands it to the system as it is. Internal and InternalHigh
// belong to the backend while the transfer runs; it must stay in place until the
// transfer has completed or was cancelled and collected with GetTransferResult.
struct Overlapped {
  std::uintptr_t Internal = 0;
  std::uintptr_t InternalHigh = 0;
  std::uint32_t Offset = 0;
  std::uint32_t OffsetHigh = 0;
  Event hEvent = nullptr;
};

struct QueueStatus {
  std::uint32_t errors = 0;    // line error flags, cleared by the call
  std::uint32_t inQueue = 0;   // received bytes the driver holds
  std::uint32_t outQueue = 0;  // bytes not yet transmitted
};

// The system error of the last failed call on this thread.
std::uint32_t LastError();

// Opens a device for reading and writing, not shared, existing only (CreateFileA with
// OPEN_EXISTING). `overlapped` asks for overlapped transfers. Names are the Windows
// ones: "COM9", "\\.\COM10". The POSIX backend opens COM port n as the device named
// by the environment variable ZELVANE_COM<n>, else /dev/ttyS<n-1>, and honours the
// locks of Linux serial programs (flock, exclusive mode, UUCP lock files), taking them
// itself until the close. Null on failure: 2 for a missing device, 5 for one that is
// in use, 1314 (POSIX) for one this user may not open.
Handle OpenDevice(const char* name, bool overlapped);

// Drops output not yet sent, cancels what is still pending on the port and releases
// it, so that a close never waits for held-back output.
bool CloseDevice(Handle port);

Event CreateTransferEvent();  // manual reset, not signalled
bool CloseTransferEvent(Event event);
bool SignalTransferEvent(Event event);
// Waits until the event is signalled or `milliseconds` passed (kInfinite: no limit).
// Returns kWaitSignalled, kWaitTimeout or kWaitFailed.
std::uint32_t WaitTransferEvent(Event event, std::uint32_t milliseconds);

bool SetupQueues(Handle port, std::uint32_t inSize, std::uint32_t outSize);  // SetupComm
bool SetEventMask(Handle port, std::uint32_t mask);                          // SetCommMask
bool GetState(Handle port, Dcb& dcb);                                        // GetCommState
bool SetState(Handle port, const Dcb& dcb);  // SetCommState; refuses codes out of range
bool GetTimeouts(Handle port, Timeouts& timeouts);
bool SetTimeouts(Handle port, const Timeouts& timeouts);

// ReadFile. With a record the transfer may stay pending (false with kErrorIoPending);
// its event is reset when the transfer starts and signalled when it completes.
// `count` receives the bytes moved by a transfer that completed at once.
bool ReadBytes(Handle port, void* buffer, std::uint32_t length, std::uint32_t* count,
               Overlapped* overlapped);
bool WriteBytes(Handle port, const void* buffer, std::uint32_t length, std::uint32_t* count,
                Overlapped* overlapped);
// GetOverlappedResult: the count of a finished transfer; with `wait`, waits for it.
bool GetTransferResult(Handle port, Overlapped& overlapped, std::uint32_t& count, bool wait);
// CancelIoEx for one transfer; collect it with GetTransferResult afterwards.
bool CancelTransfer(Handle port, Overlapped& overlapped);

bool Purge(Handle port, std::uint32_t flags);        // PurgeComm
bool ClearErrors(Handle port, QueueStatus& status);  // ClearCommError
// GetCommModemStatus. Fails with kErrorInvalidFunction on a device without modem
// lines (a pseudo-terminal).
// Neither system offers a change of CTS as something to wait on together with a
// break (Wine emulates WaitCommEvent by polling), so callers check it periodically.
bool GetModemStatus(Handle port, std::uint32_t& status);

// Applies the system's default configuration of the named device to the open port
// (GetDefaultCommConfigA, then SetCommConfig). Nothing to apply on POSIX.
bool ApplyDefaultConfig(Handle port, const char* name);

// A break signal: raised from any thread, it ends the waits below at once, and every
// later one, until it is cleared. Null when it cannot be made (LastError says why).
using Signal = struct SignalObject*;
Signal CreateSignal();
void DestroySignal(Signal signal);
void RaiseSignal(Signal signal);
void ClearSignal(Signal signal);
// Sleeps until the signal is raised (true) or `milliseconds` passed (false).
bool WaitSignal(Signal signal, std::uint32_t milliseconds);

// Waiting without burning a processor: each wait sleeps until what it waits for
// happens, `milliseconds` pass (kInfinite: no limit) or `breakSignal` (may be null) is
// raised. kFailed means the port cannot be waited on (gone, unplugged, hung up), with
// the reason in LastError; it is reported at once.
enum class WaitResult { kReady, kTimedOut, kBroken, kFailed };

// Some systems can only wait for input by reading it: a byte the wait took off the
// line is stored in `taken` and `tookByte` is set; it belongs before whatever the next
// read returns.
WaitResult WaitReadable(Handle port, std::uint32_t milliseconds, Signal breakSignal,
                        std::uint8_t& taken, bool& tookByte);
// Until the transmit queue, the port's and the system's, is empty. Where the system
// keeps output that nothing announces the end of (the driver's or kernel's own queue),
// its count is checked at growing intervals, from 1 ms up to 100 ms.
WaitResult WaitOutputDrained(Handle port, std::uint32_t milliseconds, Signal breakSignal);

}  // namespace zelvane::platform::comm
