#include "serial/vask_scomm.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>

#include "platform/message_box.h"
#include "serial/com_device_name.h"
#include "serial/line_settings.h"
#include "serial/serial_errors.h"

namespace zelvane {

namespace comm = platform::comm;

namespace {

constexpr std::uint32_t kOpenEventMask = comm::kEvRxChar | comm::kEvBreak | comm::kEvErr;
// The 16-bit count of held bytes bounds what the engine takes from the driver; more
// stays in the driver until callers take some.
constexpr std::size_t kMaxHeldInput = std::numeric_limits<std::int16_t>::max();

}  // namespace

CVask_SComm::~CVask_SComm() {
  Close();
}

std::uint32_t CVask_SComm::SetMask(std::uint32_t mask) {
  if (m_hComm == nullptr) return Store(comm::kErrorInvalidHandle);
  if (!comm::SetEventMask(m_hComm, mask)) return Store(comm::LastError());
  m_dwEventMask = mask;
  return Store(comm::kErrorSuccess);
}

std::uint32_t CVask_SComm::SetReadMode(int mode) {
  if (m_hComm == nullptr) return Store(comm::kErrorInvalidHandle);
  comm::Timeouts timeouts;
  if (!comm::GetTimeouts(m_hComm, timeouts)) return Store(comm::LastError());
  if (mode == 0) {
    timeouts.ReadIntervalTimeout = comm::kInfinite;
  } else if (mode == 1) {
    timeouts.ReadIntervalTimeout = 0;
  } else {
    return Store(comm::kInvalidArgument);
  }
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = 0;
  if (!comm::SetTimeouts(m_hComm, timeouts)) return Store(comm::LastError());
  return Store(comm::kErrorSuccess);
}

template <typename EditDcb>
std::uint32_t CVask_SComm::EditLineState(EditDcb edit) {
  if (m_hComm == nullptr) return Store(comm::kErrorInvalidHandle);
  comm::Dcb dcb;
  if (!comm::GetState(m_hComm, dcb)) return Store(comm::LastError());
  if (const std::uint32_t refused = edit(dcb); refused != comm::kErrorSuccess) {
    return Store(refused);
  }
  if (!comm::SetState(m_hComm, dcb)) return Store(comm::LastError());
  return Store(comm::kErrorSuccess);
}

std::uint32_t CVask_SComm::SetLine(std::uint32_t baudRate, std::uint8_t dataBits,
                                   std::uint8_t parity, std::uint8_t stopBits) {
  return EditLineState([&](comm::Dcb& dcb) {
    dcb.BaudRate = baudRate;
    dcb.ByteSize = dataBits;
    dcb.Parity = parity;
    dcb.StopBits = stopBits;
    dcb.fParity = parity != comm::kNoParity;
    return comm::kErrorSuccess;
  });
}

std::uint32_t CVask_SComm::SetHandshake(int kind) {
  return EditLineState([&](comm::Dcb& dcb) {
    const auto set = [&dcb](bool cts, bool dsr, std::uint8_t dtr, std::uint8_t rts, bool xon) {
      dcb.fOutxCtsFlow = cts;
      dcb.fOutxDsrFlow = dsr;
      dcb.fDtrControl = dtr;
      dcb.fRtsControl = rts;
      dcb.fOutX = xon;
      dcb.fInX = xon;
    };
    switch (kind) {
      case 0: set(false, false, comm::kDtrControlDisable, comm::kRtsControlDisable, false); break;
      case 1: set(true, true, comm::kDtrControlHandshake, comm::kRtsControlHandshake, false); break;
      case 2: set(false, false, comm::kDtrControlDisable, comm::kRtsControlDisable, true); break;
      default: return comm::kInvalidArgument;
    }
    // The line settings of the object win over the kind: RTS/CTS without XON/XOFF is
    // hardware handshaking, and CTS flow alone only watches CTS.
    if ((m_nCtsFlow == 1 || m_nRtsMode == comm::kRtsControlHandshake) && m_nXonXoff == 0) {
      set(true, false, comm::kDtrControlHandshake, comm::kRtsControlHandshake, false);
      if (m_nCtsFlow == 1 && m_nRtsMode != comm::kRtsControlHandshake) {
        set(true, false, comm::kDtrControlDisable, comm::kRtsControlDisable, false);
      }
    }
    return comm::kErrorSuccess;
  });
}

template <typename StartTransfer>
std::uint32_t CVask_SComm::Transfer(std::uint32_t* count, comm::Overlapped* overlapped,
                                    std::uint32_t waitMs, StartTransfer start) {
  m_lLastError = comm::kErrorSuccess;
  std::uint32_t localCount = 0;
  if (count == nullptr) count = &localCount;
  *count = 0;
  if (m_hComm == nullptr) return Store(comm::kErrorInvalidHandle);
  comm::Overlapped ownRecord;
  comm::Overlapped* record = overlapped;
  if (m_hEvent == nullptr) {
    if (overlapped != nullptr || waitMs != comm::kInfinite) {
      return Store(comm::kErrorInvalidFunction);
    }
  } else if (overlapped == nullptr) {
    ownRecord.hEvent = m_hEvent;
    record = &ownRecord;
  }

  if (start(record, count)) {
    if (record != nullptr && record->hEvent != nullptr) comm::SignalTransferEvent(record->hEvent);
    return Store(comm::kErrorSuccess);
  }
  const std::uint32_t error = comm::LastError();
  if (error != comm::kErrorIoPending) return Store(error);
  if (overlapped != nullptr) return Store(comm::kErrorSuccess);

  const std::uint32_t waited = comm::WaitTransferEvent(m_hEvent, waitMs);
  if (waited == comm::kWaitSignalled) {
    if (!comm::GetTransferResult(m_hComm, ownRecord, *count, false)) {
      return Store(comm::LastError());
    }
    return Store(comm::kErrorSuccess);
  }
  const std::uint32_t waitError = comm::LastError();
  // The record and the buffer are the caller's stack: the cancelled transfer must be
  // over before they go.
  comm::CancelTransfer(m_hComm, ownRecord);
  std::uint32_t abandoned = 0;
  comm::GetTransferResult(m_hComm, ownRecord, abandoned, true);
  return Store(waited == comm::kWaitTimeout ? comm::kErrorTimeout : waitError);
}

std::uint32_t CVask_SComm::Write(const void* buffer, std::uint32_t length, std::uint32_t* count,
                                 comm::Overlapped* overlapped, std::uint32_t waitMs) {
  return Transfer(count, overlapped, waitMs, [&](comm::Overlapped* record, std::uint32_t* moved) {
    return comm::WriteBytes(m_hComm, buffer, length, moved, record);
  });
}

std::uint32_t CVask_SComm::Read(void* buffer, std::uint32_t length, std::uint32_t* count,
                                comm::Overlapped* overlapped, std::uint32_t waitMs) {
  return Transfer(count, overlapped, waitMs, [&](comm::Overlapped* record, std::uint32_t* moved) {
    return comm::ReadBytes(m_hComm, buffer, length, moved, record);
  });
}

void CVask_SComm::ResetTransferState() {
  m_nSio_Error = 0;
  m_nInBufferCount = 0;
  m_nOutBufferCount = 0;
  m_nOutTotal = 0;
  m_nOutWritten = 0;
  m_InBuffer.clear();
  m_nInputLen = 0;
  m_lLastError = 0;
}

void CVask_SComm::SetPortOpen(bool open) {
  ResetTransferState();
  if (open) {
    Open();
  } else {
    Close();
  }
}

void CVask_SComm::Open() {
  if (m_hComm != nullptr) {
    m_lLastError = comm::kErrorAlreadyInitialized;
    platform::ShowMessageBox("m_lLastError = ERROR_ALREADY_INITIALIZED");
    return;
  }
  if (m_nCommPort > 255 || m_nCommPort == 0) {
    m_nSio_Error = TE_PARAM;
    platform::ShowMessageBox(" m_nSio_Error = TE_PARAM");
    return;
  }
  const std::string name = ComDeviceName(m_nCommPort);
  m_hComm = comm::OpenDevice(name.c_str(), true);
  if (m_hComm == nullptr) {
    m_lLastError = comm::LastError();
    platform::ShowMessageBox("CSerial::Open - Unable to open port");
    return;
  }
  m_hEvent = comm::CreateTransferEvent();
  if (m_hEvent == nullptr) {
    m_lLastError = comm::LastError();
    platform::ShowMessageBox("CSerial::Open - Unable to create event");
    comm::CloseDevice(m_hComm);
    m_hComm = nullptr;
    return;
  }
  if (m_nInBufferSize != 0 || m_nOutBufferSize != 0) {
    if (!comm::SetupQueues(m_hComm, static_cast<std::uint32_t>(m_nInBufferSize),
                           static_cast<std::uint32_t>(m_nOutBufferSize))) {
      const std::uint32_t error = comm::LastError();
      platform::ShowMessageBox("CSerial::Open - Unable to setup the COM-port");
      comm::CloseTransferEvent(m_hEvent);
      comm::CloseDevice(m_hComm);
      m_hEvent = nullptr;
      m_hComm = nullptr;
      m_lLastError = error;
      return;
    }
  }
  SetMask(kOpenEventMask);
  SetReadMode(0);
  // Some drivers (and Wine) have no default configuration; the port works without.
  comm::ApplyDefaultConfig(m_hComm, name.c_str());
  // A rejected parameter set leaves the previous line settings; the open goes on.
  SetLine(PlatformSpeed(m_nBaudRate), PlatformDataBits(m_nDataBits), PlatformParity(m_cParity),
          PlatformStopBits(m_nStopBits));
  DeriveHandshaking();
  const int kind = (m_nHandshaking == 1 || m_nHandshaking == 3) ? 2 : (m_nHandshaking == 2 ? 1 : 0);
  SetHandshake(kind);
  m_bPortOpen = 1;
}

void CVask_SComm::Close() {
  if (m_hComm == nullptr) return;
  if (m_hEvent != nullptr) {
    comm::CloseTransferEvent(m_hEvent);
    m_hEvent = nullptr;
  }
  comm::CloseDevice(m_hComm);
  m_hComm = nullptr;
  m_bPortOpen = 0;
}

// Four rules in this order, each overwriting the one before; when none fires the
// previous kind stays (C = CTS flow, R = RTS mode, X = XON/XOFF).
void CVask_SComm::DeriveHandshaking() {
  const bool rtsHandshake = m_nRtsMode == comm::kRtsControlHandshake;
  const bool rtsBelowHandshake = m_nRtsMode < comm::kRtsControlHandshake;
  const bool ctsOrRtsHandshake = m_nCtsFlow == 1 || rtsHandshake;
  if (m_nCtsFlow == 0 && rtsBelowHandshake && m_nXonXoff == 0) m_nHandshaking = 0;
  if (m_nCtsFlow == 0 && rtsBelowHandshake && m_nXonXoff > 0) m_nHandshaking = 1;
  if (ctsOrRtsHandshake && m_nXonXoff == 0) {
    m_nHandshaking = 2;
    if (m_nCtsFlow == 1 && !rtsHandshake) m_nHandshaking = 0;
  }
  if (ctsOrRtsHandshake && m_nXonXoff > 0) m_nHandshaking = 3;
}

void CVask_SComm::SetCommPort(int port) {
  const auto number = static_cast<std::int16_t>(port);
  if (number > 255 || number == 0) {
    m_nSio_Error = TE_PARAM;
    return;
  }
  if (m_bPortOpen == 0) m_nCommPort = number;
}

void CVask_SComm::SetSettings(const char* text) {
  const SettingsText fields = ParseSettingsText(text);
  m_nBaudRate = fields.baudRate.value_or(m_nBaudRate);
  m_cParity = fields.parity.value_or(m_cParity);
  m_nDataBits = fields.dataBits.value_or(m_nDataBits);
  m_nStopBits = fields.stopBits.value_or(m_nStopBits);
}

int CVask_SComm::PollInput() {
  const std::size_t room = kMaxHeldInput - std::min(m_InBuffer.size(), kMaxHeldInput);
  const std::size_t wanted =
      std::min(static_cast<std::size_t>(std::max<int>(m_nInBufferSize, 0)), room);
  if (wanted > 0) {
    std::vector<std::uint8_t> scratch(wanted);
    std::uint32_t received = 0;
    if (Read(scratch.data(), static_cast<std::uint32_t>(wanted), &received, nullptr,
             m_dwIoTimeout) == comm::kErrorSuccess &&
        received > 0) {
      m_InBuffer.insert(m_InBuffer.end(), scratch.begin(), scratch.begin() + received);
    }
  }
  m_nInBufferCount = static_cast<std::int16_t>(m_InBuffer.size());
  return m_nInBufferCount;
}

platform::ByteVariant CVask_SComm::GetInput() {
  platform::ByteVariant value;
  if (PollInput() <= 0) return value;
  std::size_t taken = m_InBuffer.size();
  if (m_nInputLen >= 1) taken = m_nInputLen <= m_nInBufferCount ? m_nInputLen : 0;
  if (!value.CreateArray(platform::ByteVariant::kUnsignedByte, 1, static_cast<long>(taken))) {
    throw std::bad_alloc();
  }
  for (std::size_t i = 0; i < taken; ++i) value.PutElement(static_cast<long>(i), m_InBuffer[i]);
  m_InBuffer.erase(m_InBuffer.begin(), m_InBuffer.begin() + static_cast<std::ptrdiff_t>(taken));
  m_nInBufferCount = static_cast<std::int16_t>(m_InBuffer.size());
  return value;
}

void CVask_SComm::PutOutput(const platform::ByteVariant& bytes) {
  std::vector<std::uint8_t> data;
  if (bytes.Type() == platform::ByteVariant::kByteArray && bytes.Dimensions() == 1) {
    data.resize(static_cast<std::size_t>(bytes.UpperBound() + 1));
    for (std::size_t i = 0; i < data.size(); ++i) bytes.GetElement(static_cast<long>(i), data[i]);
  }
  if (m_nOutTotal == m_nOutWritten) {
    m_nOutTotal = 0;
    m_nOutWritten = 0;
    m_nOutBufferCount = 0;
  }
  m_nOutTotal = static_cast<std::uint32_t>(data.size());
  m_nOutWritten = 0;
  m_dwIoTimeout = comm::kInfinite;
  Write(data.data(), m_nOutTotal, &m_nOutWritten, nullptr, comm::kInfinite);
}

int CVask_SComm::GetOutBufferCount() {
  m_nOutBufferCount = 0;
  if (m_nOutTotal > m_nOutWritten) {
    m_nOutBufferCount = static_cast<std::int16_t>(
        std::min<std::uint32_t>(m_nOutTotal - m_nOutWritten, kMaxHeldInput));
  } else if (m_nOutTotal == m_nOutWritten) {
    m_nOutTotal = 0;
    m_nOutWritten = 0;
  }
  if (m_hComm == nullptr) {
    m_lLastError = comm::kErrorInvalidHandle;
    return m_nOutBufferCount;
  }
  comm::QueueStatus status;
  if (!comm::ClearErrors(m_hComm, status)) {
    m_lLastError = comm::LastError();
    return m_nOutBufferCount;
  }
  m_lLastError = comm::kErrorSuccess;
  m_nOutBufferCount =
      static_cast<std::int16_t>(std::min<std::uint32_t>(status.outQueue, kMaxHeldInput));
  m_nOutTotal = 0;
  m_nOutWritten = 0;
  return m_nOutBufferCount;
}

void CVask_SComm::ClearInput() {
  if (m_hComm == nullptr) {
    m_lLastError = comm::kErrorInvalidHandle;
    return;
  }
  Store(comm::Purge(m_hComm, comm::kPurgeRxClear) ? comm::kErrorSuccess : comm::LastError());
  m_InBuffer.clear();
  m_nInBufferCount = 0;
}

void CVask_SComm::ClearOutput() {
  if (m_hComm == nullptr) {
    m_lLastError = comm::kErrorInvalidHandle;
    return;
  }
  Store(comm::Purge(m_hComm, comm::kPurgeTxClear) ? comm::kErrorSuccess : comm::LastError());
  m_nOutTotal = 0;
  m_nOutWritten = 0;
  m_nOutBufferCount = 0;
}

void CVask_SComm::ApplyDtr(bool on) {
  EditLineState([&](comm::Dcb& dcb) {
    const bool known =
        m_nDtrMode == comm::kDtrControlEnable || m_nDtrMode == comm::kDtrControlHandshake;
    dcb.fDtrControl =
        on && known ? static_cast<std::uint8_t>(m_nDtrMode) : comm::kDtrControlDisable;
    return comm::kErrorSuccess;
  });
}

void CVask_SComm::ApplyRts(bool on) {
  EditLineState([&](comm::Dcb& dcb) {
    const bool known =
        m_nRtsMode == comm::kRtsControlEnable || m_nRtsMode == comm::kRtsControlHandshake;
    dcb.fRtsControl =
        on && known ? static_cast<std::uint8_t>(m_nRtsMode) : comm::kRtsControlDisable;
    return comm::kErrorSuccess;
  });
}

int CVask_SComm::IsCtsOn() {
  if (m_hComm == nullptr) {
    m_lLastError = comm::kErrorInvalidHandle;
    return 0;
  }
  std::uint32_t status = 0;
  if (!comm::GetModemStatus(m_hComm, status)) {
    m_lLastError = comm::LastError();
    return 0;
  }
  m_lLastError = comm::kErrorSuccess;
  return (status & comm::kModemCtsOn) != 0 ? 1 : 0;
}

comm::WaitResult CVask_SComm::WaitUntilReadable(std::uint32_t milliseconds,
                                                comm::Signal breakSignal) {
  std::uint8_t taken = 0;
  bool tookByte = false;
  const comm::WaitResult result =
      comm::WaitReadable(m_hComm, milliseconds, breakSignal, taken, tookByte);
  if (tookByte) {
    m_InBuffer.push_back(taken);
    m_nInBufferCount = static_cast<std::int16_t>(std::min(m_InBuffer.size(), kMaxHeldInput));
  }
  return result;
}

comm::WaitResult CVask_SComm::WaitUntilOutputDrained(std::uint32_t milliseconds,
                                                     comm::Signal breakSignal) const {
  return comm::WaitOutputDrained(m_hComm, milliseconds, breakSignal);
}

}  // namespace zelvane
