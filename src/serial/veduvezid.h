#pragma once

#include <atomic>
#include <cstdint>

#include "buffers/chr_arr.h"
#include "platform/byte_variant.h"
#include "serial/break_signal.h"
#include "serial/port_profile.h"
#include "serial/serial_errors.h"
#include "serial/session_deadline.h"
#include "serial/vask_scomm.h"

namespace zelvane {

// The TE_* code of the last failed ProbePort.
extern int g_nProbeError;

// The library's one serial object. It holds the break flag that the host's
// ScanerBreakJob raises for the port operations, and on top of the port engine it
// offers the port sessions of the device protocols: opening from parameters that are
// remembered for reopening after a change of line settings, sending in pieces,
// receiving a count of bytes or up to a terminator, all with deadlines in whole
// seconds and interruptible by the break flag.
//
// Every session operation reports through the profile's status (0 or a TE_* code;
// read it with CheckStatus). Waiting operations sleep on the port until a byte comes,
// the output drains, the deadline passes or the host breaks the job, so that each is
// seen at once without keeping a processor busy; a line lost during a wait (the device
// unplugged) ends it with TE_LINK. Time limits are whole seconds: above 0 a limit, 0
// only what is there now, below 0 no limit (each operation says which apply). All port
// operations run on the thread of the running device job; only the break flag is
// raised from another.
class CVeduvezid : public CVask_SComm {
 public:
  CVeduvezid() = default;
  CVeduvezid(const CVeduvezid&) = delete;
  CVeduvezid& operator=(const CVeduvezid&) = delete;

  // Raises the break flag and returns at once.
  void RequestBreak();
  // Lowers it: a new service (ScanerCreate) and every open start unbroken.
  void ClearBreak();
  bool IsBreakRequested() const { return m_bBreak.load() != 0; }

  // Port sessions (port_session.cpp). Ports are 1..16 where a probe is involved.

  // The COM port exists and can be opened exclusively; else g_nProbeError says why:
  // TE_PARAM outside 1..16, TE_NOPORT missing, TE_CONFL busy, TE_NOTOPEN not closable
  // or (Linux) not to be opened by this user.
  bool ProbePort(int port);
  // Opens with fresh line settings (CTS flow off, DTR and RTS on, XON/XOFF off) and
  // clears the break flag. Sizes of exactly 1024 keep the engine's current sizes;
  // sizes outside 1..32767 give TE_PARAM. A failure inside the engine's open shows a
  // message box and gives the status of its cause (TE_NOPORT, TE_CONFL, ...).
  int OpenPort(int port, int inBufferSize, int outBufferSize, int baudRate, int dataBits,
               char parity, int stopBits);
  // Waits up to `seconds` for the output to drain, then closes whatever the result.
  void ClosePort(int port, int seconds);
  // Closes and opens again with the profile; TE_CONFL (with a message) if still open.
  int ReopenPort(int port);
  // Changes the speed and reopens; returns the previous speed, the reopen's non-zero
  // status, or 0 with TE_PARAM for port 0 and speeds outside the accepted list. A speed
  // of 0 only returns the current one.
  int SetBaudRate(int port, int baudRate);
  // Store the value and reopen when it changed; return the previous value.
  int SetCtsFlow(int port, int value);
  int SetLineOption1(int port, int value);
  int SetLineOption2(int port, int value);
  int SetXonXoff(int port, int value);
  // Modes in the codes of platform::comm's kDtrControl* and kRtsControl*. Store the
  // mode, re-apply the line from the engine's current mode (enabled or handshake) or
  // switch it off, and reopen when the mode changed (to handshake, or to anything but
  // enabled); return the previous mode.
  int SetDtrMode(int port, int mode);
  int SetRtsMode(int port, int mode);
  // Drop received (pending included) or unsent bytes; TE_NOTOPEN when closed.
  void FlushInput(int port);
  void FlushOutput(int port);
  // Sends in pieces of the output buffer size, waiting for the output to drain before
  // and after each piece (each wait with its own limit of `seconds`). With CTS flow,
  // waits for CTS before each piece until the call's deadline: a time-out or a break
  // there gives 0, whatever was sent. Returns the bytes the port accepted, and stops
  // at a piece it accepted only in part; empty data: TE_PARAM.
  int Send(int port, const CChrArr& data, int seconds);
  // `count` bytes (pending ones first), or with count 0 whatever has arrived, at least
  // one byte. A count not yet complete at the deadline gives TE_TIMEOUT and the
  // pending bytes; with seconds 0 nothing is waited for.
  CChrArr Receive(int port, int count, int seconds);
  // The bytes up to and including the first `terminator`, at most `maxLength`; a
  // line without it within `maxLength` bytes gives everything held and TE_OVERFLOW.
  // Bytes after the terminator stay pending for the next call.
  CChrArr ReceiveUntil(int port, std::uint8_t terminator, int maxLength, int seconds);
  // 1-based position of the terminator in what has arrived, 0 if absent; takes the
  // arrived bytes into the pending ones.
  int FindTerminator(int port, std::uint8_t terminator);
  // Received bytes not yet returned; TE_NOTOPEN and 0 when closed.
  int BytesAvailable(int port);
  // Until the transmit queue is empty: TE_TIMEOUT after `seconds` (none below 0),
  // TE_BREAK on a break, TE_NOTOPEN when closed.
  int WaitOutputDrained(int port, int seconds);
  // Waits, ending early (TE_BREAK) on a break.
  void Pause(double seconds);
  // The status, or TE_NOTOPEN when it is 0 and the port is closed.
  int CheckStatus();
  static const char* SerialErrorText(int code) { return zelvane::SerialErrorText(code); }
  // A buffer as a byte array for PutOutput; throws std::bad_alloc without memory.
  static platform::ByteVariant ToVariant(const CChrArr& buffer);

  const PortProfile& Profile() const { return m_Profile; }

 private:
  // A yield, then the break flag; when it is raised the status becomes TE_BREAK.
  bool BreakCheck();
  // Sleep until input arrives or output drained, the deadline of `seconds` passes
  // (none below 0) or the break comes. False when the line is lost: status TE_LINK.
  bool AwaitInput(const SessionDeadline& deadline, int seconds);
  bool AwaitOutputDrained(const SessionDeadline& deadline, int seconds);
  bool Awaited(platform::comm::WaitResult result);
  // CTS is on, or the line has no modem signals that can be read (a pseudo-terminal,
  // a USB adapter without them, a COM port under Wine): waiting for CTS there would
  // never end, so such a line counts as clear to send.
  bool ClearToSend();
  std::uint32_t WaitLimit(const SessionDeadline& deadline, int seconds) const;
  // The profile's speed, parity, data bits and stop bits as the engine's settings.
  void ApplyProfileSettings();
  // The profile's six line settings as the engine's fields.
  void ApplyProfileLineSettings();
  // Opens `port` with the engine's current settings and sets DTR and RTS.
  void OpenEngine(int port, bool dtrOn, bool rtsOn);
  int ChangeLineSetting(int port, int PortProfile::*setting, int value);
  int ChangeLineMode(int port, int PortProfile::*setting, void (CVask_SComm::*apply)(bool),
                     int mode);

  std::atomic<std::uint8_t> m_bBreak{0};
  BreakSignal m_breakSignal;
  CChrArr m_Pending;  // taken from the engine, not yet returned to a caller
  PortProfile m_Profile;
};

}  // namespace zelvane
