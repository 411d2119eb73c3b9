#pragma once

#include <cstdint>
#include <vector>

#include "platform/byte_variant.h"
#include "platform/comm.h"

namespace zelvane {

// The library's serial port driver: opens a COM port for overlapped transfers,
// configures it and moves bytes with a bounded wait. The surface is property-shaped
// (port number, settings text such as "9600,N,8,1", buffer sizes, input and output
// as byte arrays); settings reach the port at the next open, except through ApplyDtr,
// ApplyRts, SetLine and SetHandshake, which act on the open port at once.
//
// Every operation that touches the port stores its 32-bit result in m_lLastError and
// returns it: 0 for success, else a system error code (6 without a port, 0x80070057
// for a bad read mode or handshake kind, 1460 for a transfer time-out). Port errors
// never throw; only a failed allocation raises std::bad_alloc. Not thread-safe: all
// calls come from the thread of the device job that owns the port.
class CVask_SComm {
 public:
  CVask_SComm() = default;
  // Closes a port that is still open.
  virtual ~CVask_SComm();
  CVask_SComm(const CVask_SComm&) = delete;
  CVask_SComm& operator=(const CVask_SComm&) = delete;

  // Event mask of the port (SetCommMask); on success m_dwEventMask = mask.
  virtual std::uint32_t SetMask(std::uint32_t mask);
  // Read time-outs: mode 0 a read returns at once with what has arrived, mode 1 it
  // waits for the full count. The write time-outs stay as they are.
  virtual std::uint32_t SetReadMode(int mode);
  // Line parameters in platform codes; fParity is set exactly when parity is not 0.
  virtual std::uint32_t SetLine(std::uint32_t baudRate, std::uint8_t dataBits, std::uint8_t parity,
                                std::uint8_t stopBits);
  // Flow-control kind: 0 none, 1 hardware (CTS, DSR, DTR and RTS handshake), 2 XON/XOFF;
  // then the CTS/RTS settings of the object may override it.
  virtual std::uint32_t SetHandshake(int kind);
  // One transfer. Without `overlapped` the engine's own record is used and the call
  // waits up to `waitMs` (a time-out cancels the transfer: 1460); with one, a pending
  // transfer gives 0 at once and the caller collects it. `count` may be null.
  virtual std::uint32_t Write(const void* buffer, std::uint32_t length, std::uint32_t* count,
                              platform::comm::Overlapped* overlapped, std::uint32_t waitMs);
  virtual std::uint32_t Read(void* buffer, std::uint32_t length, std::uint32_t* count,
                             platform::comm::Overlapped* overlapped, std::uint32_t waitMs);

  // true: opens the port with the current settings (failures show a message box and
  // leave it closed); false: closes it. Both first reset the counts and the input.
  void SetPortOpen(bool open);
  // 1..255; ignored while open. Out of range: m_nSio_Error = TE_PARAM, nothing else.
  void SetCommPort(int port);
  // "speed,parity letter,data bits,stop-bit code"; fields the text lacks keep their
  // values. Neither validated nor applied to an open port.
  void SetSettings(const char* text);
  void SetInBufferSize(int size) { m_nInBufferSize = static_cast<std::int16_t>(size); }
  void SetOutBufferSize(int size) { m_nOutBufferSize = static_cast<std::int16_t>(size); }
  void SetInputLen(int length) { m_nInputLen = static_cast<std::int16_t>(length); }
  void SetHandshaking(int kind) { m_nHandshaking = kind; }

  // Appends what the driver holds to the input; returns the number of bytes held.
  int PollInput();
  // Polls, then takes m_nInputLen bytes (all when it is below 1) as a byte array: an
  // empty array when fewer are held, no value at all when nothing is held.
  platform::ByteVariant GetInput();
  // Writes a byte array, waiting without limit.
  void PutOutput(const platform::ByteVariant& bytes);
  // Refreshes and returns the count of bytes still to be transmitted.
  int GetOutBufferCount();
  void ClearInput();
  void ClearOutput();
  // DTR (RTS) control of the open port from m_nDtrMode (m_nRtsMode) when `on`, else off.
  void ApplyDtr(bool on);
  void ApplyRts(bool on);
  // 1 when CTS is on; 0 when it is off or cannot be read (the error in m_lLastError).
  int IsCtsOn();

  int GetInBufferSize() const { return m_nInBufferSize; }
  int GetOutBufferSize() const { return m_nOutBufferSize; }
  bool GetPortOpen() const { return m_bPortOpen != 0; }
  platform::comm::Handle GetCommHandle() const { return m_hComm; }

 protected:
  // m_nHandshaking from the CTS flow, RTS mode and XON/XOFF settings; see the .cpp.
  void DeriveHandshaking();

  // Sleep on the open port until input arrives (a byte the wait took is held like
  // polled input) or its output has drained, the time is up or `breakSignal` comes.
  platform::comm::WaitResult WaitUntilReadable(std::uint32_t milliseconds,
                                               platform::comm::Signal breakSignal);
  platform::comm::WaitResult WaitUntilOutputDrained(std::uint32_t milliseconds,
                                                    platform::comm::Signal breakSignal) const;

  int m_nSio_Error = 0;
  int m_nCommPort = 1;
  std::uint8_t m_bPortOpen = 0;
  std::int16_t m_nInBufferSize = 1024;
  std::int16_t m_nOutBufferSize = 1024;
  std::int16_t m_nInBufferCount = 0;
  std::int16_t m_nOutBufferCount = 0;
  std::uint32_t m_nOutTotal = 0;
  std::uint32_t m_nOutWritten = 0;
  std::uint32_t m_dwIoTimeout = platform::comm::kInfinite;
  std::vector<std::uint8_t> m_InBuffer;
  std::int16_t m_nInputLen = 0;
  int m_nCtsFlow = 0;
  // Two line settings that protocols set and a reopen carries over, but that nothing
  // applies: no DCB field or termios flag answers to them, so they never reach the port.
  int m_nLineOption1 = 0;
  int m_nLineOption2 = 0;
  // DTR and RTS modes in the codes of Dcb::fDtrControl and fRtsControl: disabled,
  // enabled or handshake.
  int m_nDtrMode = platform::comm::kDtrControlEnable;
  int m_nRtsMode = platform::comm::kRtsControlEnable;
  int m_nXonXoff = 0;
  int m_nBaudRate = 9600;
  int m_nDataBits = 8;
  char m_cParity = 'N';
  int m_nStopBits = 1;
  int m_nHandshaking = 0;
  std::uint32_t m_lLastError = 0;
  platform::comm::Handle m_hComm = nullptr;
  std::uint32_t m_dwEventMask = 0;
  platform::comm::Event m_hEvent = nullptr;

 private:
  template <typename StartTransfer>
  std::uint32_t Transfer(std::uint32_t* count, platform::comm::Overlapped* overlapped,
                         std::uint32_t waitMs, StartTransfer start);
  std::uint32_t Store(std::uint32_t result) {
    m_lLastError = result;
    return result;
  }
  void ResetTransferState();
  void Open();
  void Close();
  // Reads the block, lets `edit` change it and writes it back; the result of the
  // first failing call, else 0.
  template <typename EditDcb>
  std::uint32_t EditLineState(EditDcb edit);
};

}  // namespace zelvane
