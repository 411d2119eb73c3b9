#include <algorithm>
#include <cstdio>
#include <string>

#include "buffers/byte_variant_conversion.h"
#include "platform/clock.h"
#include "platform/comm.h"
#include "platform/growing_interval.h"
#include "platform/message_box.h"
#include "platform/threads.h"
#include "serial/com_device_name.h"
#include "serial/session_deadline.h"
#include "serial/veduvezid.h"

namespace zelvane {

int g_nProbeError = 0;

namespace comm = platform::comm;

namespace {

constexpr int kFirstProbedPort = 1;
constexpr int kLastProbedPort = 16;
constexpr int kDefaultBufferSize = 1024;

// The status of a port that could not be opened, from the system's reason.
int OpenFailureStatus(std::uint32_t systemError) {
  switch (systemError) {
    case comm::kErrorFileNotFound: return TE_NOPORT;
    // The device exists, but this user may not open it.
    case comm::kErrorNoPermission: return TE_NOTOPEN;
    default: return TE_CONFL;
  }
}

// Queue sizes the engine's 16-bit counts can hold.
bool IsQueueSize(int size) {
  return size >= 1 && size <= 32767;
}

bool IsProbedPort(int port) {
  return port >= kFirstProbedPort && port <= kLastProbedPort;
}

bool IsAcceptedSpeed(int baudRate) {
  constexpr int kAccepted[] = {75,   110,  150,   300,   600,   1200,  2400,
                               4800, 9600, 19200, 38400, 57600, 115200};
  return std::find(std::begin(kAccepted), std::end(kAccepted), baudRate) != std::end(kAccepted);
}

std::string SettingsText(int baudRate, char parity, int dataBits, int stopBits) {
  char text[64];
  std::snprintf(text, sizeof(text), "%d,%c,%d,%d", baudRate, parity, dataBits, stopBits);
  return text;
}

}  // namespace

bool CVeduvezid::BreakCheck() {
  platform::YieldThread();
  if (!IsBreakRequested()) return false;
  m_Profile.status = TE_BREAK;
  return true;
}

bool CVeduvezid::Awaited(comm::WaitResult result) {
  if (result != comm::WaitResult::kFailed) return true;
  m_Profile.status = TE_LINK;
  return false;
}

// Limits of 0 seconds and above end at the deadline here; the callers that treat 0 as
// "only what is there now" never wait.
std::uint32_t CVeduvezid::WaitLimit(const SessionDeadline& deadline, int seconds) const {
  return m_breakSignal.SliceOf(seconds >= 0 ? deadline.MillisecondsLeft() : comm::kInfinite);
}

bool CVeduvezid::AwaitInput(const SessionDeadline& deadline, int seconds) {
  return Awaited(WaitUntilReadable(WaitLimit(deadline, seconds), m_breakSignal.Native()));
}

bool CVeduvezid::AwaitOutputDrained(const SessionDeadline& deadline, int seconds) {
  return Awaited(WaitUntilOutputDrained(WaitLimit(deadline, seconds), m_breakSignal.Native()));
}

bool CVeduvezid::ClearToSend() {
  return IsCtsOn() == 1 || m_lLastError != comm::kErrorSuccess;
}

bool CVeduvezid::ProbePort(int port) {
  if (!IsProbedPort(port)) {
    g_nProbeError = TE_PARAM;
    return false;
  }
  const comm::Handle probe = comm::OpenDevice(ComDeviceName(port).c_str(), false);
  if (probe == nullptr) {
    g_nProbeError = OpenFailureStatus(comm::LastError());
    return false;
  }
  if (!comm::CloseDevice(probe)) {
    g_nProbeError = TE_NOTOPEN;
    return false;
  }
  return true;
}

void CVeduvezid::ApplyProfileSettings() {
  SetSettings(
      SettingsText(m_Profile.baudRate, m_Profile.parity, m_Profile.dataBits, m_Profile.stopBits)
          .c_str());
}

void CVeduvezid::ApplyProfileLineSettings() {
  m_nCtsFlow = m_Profile.ctsFlow;
  m_nLineOption1 = m_Profile.lineOption1;
  m_nLineOption2 = m_Profile.lineOption2;
  m_nDtrMode = m_Profile.dtrMode;
  m_nRtsMode = m_Profile.rtsMode;
  m_nXonXoff = m_Profile.xonXoff;
}

void CVeduvezid::OpenEngine(int port, bool dtrOn, bool rtsOn) {
  SetCommPort(port);
  SetPortOpen(true);
  // The engine tells of a failed open in a message box only: the session's status
  // must say it too, or the open would pass for a success.
  if (!GetPortOpen()) {
    m_Profile.status = m_nSio_Error != 0 ? m_nSio_Error : OpenFailureStatus(m_lLastError);
    return;
  }
  ApplyDtr(dtrOn);
  ApplyRts(rtsOn);
}

void CVeduvezid::RequestBreak() {
  m_bBreak.store(1);
  m_breakSignal.Raise();
}

void CVeduvezid::ClearBreak() {
  m_bBreak.store(0);
  m_breakSignal.Clear();
}

int CVeduvezid::OpenPort(int port, int inBufferSize, int outBufferSize, int baudRate, int dataBits,
                         char parity, int stopBits) {
  m_Profile.status = 0;
  if (!IsQueueSize(inBufferSize) || !IsQueueSize(outBufferSize)) return m_Profile.status = TE_PARAM;
  if (!ProbePort(port)) return m_Profile.status = g_nProbeError;
  if (GetPortOpen()) return m_Profile.status = TE_CONFL;
  try {
    ClearBreak();
    m_Pending = CChrArr();
    if (inBufferSize != kDefaultBufferSize) SetInBufferSize(inBufferSize);
    if (outBufferSize != kDefaultBufferSize) SetOutBufferSize(outBufferSize);

    PortProfile fresh;  // default line settings: CTS flow off, DTR on, RTS on, no XON/XOFF
    fresh.status = m_Profile.status;
    fresh.port = port;
    fresh.inBufferSize = inBufferSize;
    fresh.outBufferSize = outBufferSize;
    fresh.baudRate = baudRate;
    fresh.dataBits = dataBits;
    fresh.parity = parity;
    fresh.stopBits = stopBits;
    m_Profile = fresh;
    ApplyProfileSettings();
    ApplyProfileLineSettings();
    SetHandshaking(0);
    OpenEngine(port, true, true);
  } catch (...) {
    g_nProbeError = TE_CONFL;
    m_Profile.status = TE_CONFL;
  }
  return m_Profile.status;
}

void CVeduvezid::ClosePort(int port, int seconds) {
  if (WaitOutputDrained(port, seconds) != TE_NOTOPEN) SetPortOpen(false);
}

int CVeduvezid::ReopenPort(int port) {
  ClosePort(m_Profile.port, 0);
  if (!ProbePort(port)) return m_Profile.status = g_nProbeError;
  if (GetPortOpen()) {
    m_Profile.status = TE_CONFL;
    platform::ShowMessageBox("reopen - TE_CONFL");
    return TE_CONFL;
  }
  m_Pending = CChrArr();
  ApplyProfileSettings();
  ApplyProfileLineSettings();
  DeriveHandshaking();
  const auto lineOn = [](int mode) { return mode == 1 || mode == 2; };
  OpenEngine(port, lineOn(m_Profile.dtrMode), lineOn(m_Profile.rtsMode));
  return m_Profile.status;
}

int CVeduvezid::SetBaudRate(int port, int baudRate) {
  m_Profile.status = 0;
  if (port == 0) {
    m_Profile.status = TE_PARAM;
    return 0;
  }
  if (baudRate == 0) return m_Profile.baudRate;
  if (!IsAcceptedSpeed(baudRate)) {
    m_Profile.status = TE_PARAM;
    return 0;
  }
  const int previous = m_Profile.baudRate;
  m_Profile.baudRate = baudRate;
  const int reopened = ReopenPort(port);
  m_Profile.status = reopened;
  return reopened != 0 ? reopened : previous;
}

int CVeduvezid::ChangeLineSetting(int port, int PortProfile::*setting, int value) {
  const int previous = m_Profile.*setting;
  if (value != previous) {
    m_Profile.*setting = value;
    ReopenPort(port);
  }
  return previous;
}

int CVeduvezid::SetCtsFlow(int port, int value) {
  return ChangeLineSetting(port, &PortProfile::ctsFlow, value);
}

int CVeduvezid::SetLineOption1(int port, int value) {
  return ChangeLineSetting(port, &PortProfile::lineOption1, value);
}

int CVeduvezid::SetLineOption2(int port, int value) {
  return ChangeLineSetting(port, &PortProfile::lineOption2, value);
}

int CVeduvezid::SetXonXoff(int port, int value) {
  return ChangeLineSetting(port, &PortProfile::xonXoff, value);
}

// `apply` works from the engine's current mode, which only the reopen replaces by
// the new one; so a change from handshake to enabled keeps handshaking until the next
// reopen. DTR and RTS share their codes.
int CVeduvezid::ChangeLineMode(int port, int PortProfile::*setting,
                               void (CVask_SComm::*apply)(bool), int mode) {
  static_assert(comm::kDtrControlEnable == comm::kRtsControlEnable &&
                comm::kDtrControlHandshake == comm::kRtsControlHandshake);
  const int previous = m_Profile.*setting;
  m_Profile.*setting = mode;
  const bool changed = mode != previous;
  if (mode == comm::kDtrControlEnable || mode == comm::kDtrControlHandshake) {
    (this->*apply)(true);
    if (changed && mode == comm::kDtrControlHandshake) ReopenPort(port);
  } else {
    (this->*apply)(false);
    if (changed) ReopenPort(port);
  }
  return previous;
}

int CVeduvezid::SetDtrMode(int port, int mode) {
  return ChangeLineMode(port, &PortProfile::dtrMode, &CVask_SComm::ApplyDtr, mode);
}

int CVeduvezid::SetRtsMode(int port, int mode) {
  return ChangeLineMode(port, &PortProfile::rtsMode, &CVask_SComm::ApplyRts, mode);
}

void CVeduvezid::FlushInput(int /*port*/) {
  m_Profile.status = 0;
  if (!GetPortOpen()) {
    m_Profile.status = TE_NOTOPEN;
    return;
  }
  m_Pending = CChrArr();
  ClearInput();
}

void CVeduvezid::FlushOutput(int /*port*/) {
  m_Profile.status = 0;
  if (!GetPortOpen()) {
    m_Profile.status = TE_NOTOPEN;
    return;
  }
  ClearOutput();
}

int CVeduvezid::CheckStatus() {
  if (m_Profile.status != 0) return m_Profile.status;
  if (!GetPortOpen()) m_Profile.status = TE_NOTOPEN;
  return m_Profile.status;
}

int CVeduvezid::WaitOutputDrained(int /*port*/, int seconds) {
  m_Profile.status = 0;
  if (!GetPortOpen()) {
    m_Profile.status = TE_NOTOPEN;
    platform::YieldThread();
    return TE_NOTOPEN;
  }
  if (GetOutBufferCount() == 0) return CheckStatus();
  const SessionDeadline deadline(seconds);
  while (GetOutBufferCount() > 0) {
    if (BreakCheck()) return TE_BREAK;
    if (seconds >= 0 && deadline.Passed()) return m_Profile.status = TE_TIMEOUT;
    if (!AwaitOutputDrained(deadline, seconds)) return m_Profile.status;
  }
  return m_Profile.status;
}

void CVeduvezid::Pause(double seconds) {
  const double milliseconds = seconds * 1000.0;
  if (!(milliseconds >= 1.0)) return;
  const std::uint64_t end =
      platform::TickMilliseconds() + static_cast<std::uint64_t>(std::min(milliseconds, 1e15));
  for (std::uint64_t now = platform::TickMilliseconds(); now < end;
       now = platform::TickMilliseconds()) {
    m_breakSignal.Sleep(
        static_cast<std::uint32_t>(std::min<std::uint64_t>(end - now, UINT32_MAX - 1)));
    if (BreakCheck()) return;
  }
}

int CVeduvezid::BytesAvailable(int /*port*/) {
  m_Profile.status = 0;
  if (!GetPortOpen()) {
    m_Profile.status = TE_NOTOPEN;
    return 0;
  }
  return m_Pending.GetSize() + PollInput();
}

int CVeduvezid::FindTerminator(int /*port*/, std::uint8_t terminator) {
  m_Profile.status = 0;
  const int pendingSize = m_Pending.GetSize();
  if (pendingSize > 0) {
    const int index = m_Pending.Find(terminator);
    if (index >= 0) return index + 1;
  }
  const int arrived = PollInput();
  if (arrived <= 0) return 0;
  try {
    SetInputLen(arrived);
    const CChrArr fresh = FromVariant(GetInput());
    if (fresh.IsEmpty()) return 0;
    const int index = fresh.Find(terminator);
    m_Pending += fresh;
    return index >= 0 ? pendingSize + index + 1 : 0;
  } catch (...) {
    m_Profile.status = TE_NOMEM;
    return 0;
  }
}

CChrArr CVeduvezid::Receive(int port, int count, int seconds) {
  m_Profile.status = 0;
  CChrArr result;
  if (!IsProbedPort(port) || count < 0 || count > GetInBufferSize()) {
    m_Profile.status = TE_PARAM;
    return result;
  }
  if (!GetPortOpen()) {
    m_Profile.status = TE_NOTOPEN;
    platform::YieldThread();
    return result;
  }
  try {
    const int pendingSize = m_Pending.GetSize();
    if (pendingSize > 0) {
      if (count != 0 && pendingSize > count) {
        result = m_Pending.Left(count);
        m_Pending = m_Pending.Mid(count);
        return result;
      }
      result = m_Pending;
      m_Pending = CChrArr();
      if (pendingSize == count) return result;
      if (count != 0) count -= pendingSize;
    }
    const SessionDeadline deadline(seconds);
    SetInputLen(count);
    for (;;) {
      const int held = PollInput();
      if (count != 0 && held >= count) {
        result += FromVariant(GetInput());
        BreakCheck();
        return result;
      }
      if (count != 0 && seconds == 0) {
        m_Profile.status = TE_TIMEOUT;
        platform::YieldThread();
        return result;
      }
      if (count == 0) {
        if (held > 0) {
          SetInputLen(held);
          result += FromVariant(GetInput());
        }
        if (!result.IsEmpty()) {
          BreakCheck();
          return result;
        }
        if (seconds == 0) {
          m_Profile.status = TE_TIMEOUT;
          platform::YieldThread();
          return result;
        }
      }
      if (BreakCheck()) return result;
      if (seconds > 0 && deadline.Passed()) {
        platform::YieldThread();
        m_Profile.status = TE_TIMEOUT;
        return result;
      }
      if (!AwaitInput(deadline, seconds)) return result;
    }
  } catch (...) {
    m_Profile.status = TE_NOMEM;
    return result;
  }
}

CChrArr CVeduvezid::ReceiveUntil(int port, std::uint8_t terminator, int maxLength, int seconds) {
  m_Profile.status = 0;
  if (maxLength > GetInBufferSize()) {
    m_Profile.status = TE_PARAM;
    platform::YieldThread();
    return CChrArr();
  }
  const auto giveUp = [this](int status) {
    m_Profile.status = status;
    platform::YieldThread();
    return CChrArr();
  };
  const SessionDeadline deadline(seconds);
  for (;;) {
    const int available = BytesAvailable(port);
    const int position = FindTerminator(port, terminator);
    const bool complete = position > 0 && position <= maxLength;
    if (available >= maxLength) {
      if (complete) return Receive(port, position, 0);
      CChrArr everything = Receive(port, 0, 0);
      m_Profile.status = TE_OVERFLOW;
      return everything;
    }
    if (complete) return Receive(port, position, 0);
    if (seconds == 0) return giveUp(TE_TIMEOUT);
    if (BreakCheck()) return giveUp(TE_BREAK);
    if (seconds > 0 && deadline.Passed()) return giveUp(TE_TIMEOUT);
    if (!AwaitInput(deadline, seconds)) return giveUp(TE_LINK);
  }
}

platform::ByteVariant CVeduvezid::ToVariant(const CChrArr& buffer) {
  return zelvane::ToVariant(buffer);
}

int CVeduvezid::Send(int port, const CChrArr& data, int seconds) {
  const int pieceSize = GetOutBufferSize();
  if (data.IsEmpty()) {
    m_Profile.status = TE_PARAM;
    platform::YieldThread();
    return 0;
  }
  const SessionDeadline deadline(seconds);
  if (WaitOutputDrained(port, seconds) != 0) return 0;
  int sent = 0;
  for (;;) {
    const CChrArr piece =
        sent + pieceSize <= data.GetSize() ? data.Mid(sent, pieceSize) : data.Mid(sent);
    if (piece.IsEmpty()) return sent;
    if (m_Profile.ctsFlow > 0) {
      // CTS cannot be waited for together with a break (see platform/comm.h): the
      // line is looked at again at growing intervals, the break ending each at once.
      platform::GrowingInterval checks;
      while (!ClearToSend()) {
        if (seconds > 0 && deadline.Passed()) {
          m_Profile.status = TE_TIMEOUT;
          platform::YieldThread();
          return 0;
        }
        if (BreakCheck()) return 0;
        m_breakSignal.Sleep(checks.Next());
      }
    }
    const platform::ByteVariant bytes = ToVariant(piece);
    if (bytes.Type() != platform::ByteVariant::kByteArray || !bytes.HasArray()) return sent;
    PutOutput(bytes);
    // What the port accepted: a piece it took only in part ends the send short, so
    // that the caller sees the loss instead of a gap in the middle of its data.
    sent += static_cast<int>(m_nOutWritten);
    if (static_cast<int>(m_nOutWritten) < piece.GetSize()) return sent;
    if (WaitOutputDrained(port, seconds) != 0) return sent;
  }
}

}  // namespace zelvane
