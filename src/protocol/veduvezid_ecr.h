#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "protocol/trace_log.h"

namespace zelvane {

class CChrArr;
class CVeduvezid;
class HostLink;

// Base of every device protocol: the shared serial object, the link that carries its
// status notices to the host, the port of the last open,
// the last error code (0 none, negative a serial TE_* code, positive a protocol code)
// and the run's trace log. Every operation clears the error first and leaves the
// failing code in it.
class CVeduvezidECR {
 public:
  static constexpr int kDefaultSpeed = 9600;
  // The error of a send that wrote fewer bytes than asked. The Casio DT-700 protocol
  // reports its framing errors with the same 9999 (CCasioDT700::kFramingError), as the
  // terminal software that hosts know does, so the code alone does not tell the two
  // apart. Neither has a text of its own: both read as the table's unknown error.
  static constexpr int kShortWrite = 9999;
  // Limit of every send, drain and receive of the request-and-answer exchanges.
  static constexpr int kDeadlineSeconds = 5;

  CVeduvezidECR() = default;
  CVeduvezidECR(const CVeduvezidECR&) = delete;
  CVeduvezidECR& operator=(const CVeduvezidECR&) = delete;
  virtual ~CVeduvezidECR() = default;

  // Opens at the protocol's default speed: Open(port, 9600) through the virtual call,
  // so a protocol that only replaces the two-argument open gets its own at 9600.
  virtual int Open(int port);
  // Opens with 1024-byte queues, 8 data bits, no parity, one stop bit and flushes
  // both directions. 1 opened, 0 failed (the serial code in the error).
  virtual int Open(int port, int speed);

  // Waits up to a second for the output to drain, then closes the port.
  void Close();

  // Forwards a status notice to the host.
  void Notify(int code, std::string_view text, int first, int second);

  // Polish text (code page 1250) of an error code.
  std::string ErrorText(int code) const;

  // The device job binds the serial object and the host link before every open.
  void SetComm(CVeduvezid* comm) { m_pComm = comm; }
  void SetHostLink(HostLink* link) { m_pHostLink = link; }
  bool HasComm() const { return m_pComm != nullptr; }
  int GetError() const { return m_nError; }

  void OpenTraceLog() { m_traceLog.Open(); }
  void TraceLine(const CChrArr& bytes, char direction) { m_traceLog.Line(bytes, direction); }
  void CloseTraceLog() { m_traceLog.Close(); }

 protected:
  CVeduvezid& Comm() { return *m_pComm; }

  // Without a serial object nothing can be done: the error is then TE_NOTOPEN.
  bool Bound();
  // A non-zero session status becomes the error code; true when it is 0.
  bool Succeeded(int status);
  // The first step of every open: clears the error, remembers the port, and opens it
  // with 1024-byte queues at `speed`, 8 data bits, no parity, one stop bit. True when
  // the port is open; else the serial code is the error.
  bool OpenPort(int port, int speed);
  // Drops unsent output, then received input; true when both succeeded.
  bool FlushBothWays();

  // The steps of the exchanges that wait for an answer, each within kDeadlineSeconds
  // unless a receive is given its own limit (0: only what has already arrived).
  // Dumps the frame (kind S, even when empty or then not sent) and sends it, waiting
  // for it to leave the port. 1 sent (an empty frame counts as sent), 0 failed.
  int SendFrame(const CChrArr& frame);
  // SendFrame of one control character.
  int SendControl(std::uint8_t byte);
  // Exactly `count` bytes, dumped (kind R); empty on failure.
  CChrArr ReceiveCount(int count, int seconds = kDeadlineSeconds);
  // The bytes up to and including `terminator`, at most `limit`, dumped (kind X);
  // empty on failure.
  CChrArr ReceiveTerminated(std::uint8_t terminator, int limit, int seconds = kDeadlineSeconds);

  CVeduvezid* m_pComm = nullptr;
  HostLink* m_pHostLink = nullptr;
  int m_nPort = 0;
  TraceLog m_traceLog;
  int m_nError = 0;

 private:
  // SendFrame less its dump.
  int Transmit(const CChrArr& frame);
};

}  // namespace zelvane
