#include "protocol/veduvezid_ecr.h"

#include "buffers/chr_arr.h"
#include "buffers/cp1250_literal.h"
#include "jobs/host_link.h"
#include "protocol/dump_files.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

struct CodeText {
  int code;
  const char* text;
};

constexpr Cp1250Literal kVersion{u8"System kas fiskalnych - Vask v1.0"};
constexpr Cp1250Literal kUnknown{u8"Nieokreślony błąd"};
constexpr Cp1250Literal kText19{u8"Numer kasy poza zakresem"};
constexpr Cp1250Literal kText20{u8"Przekroczony czas nadawania"};
constexpr Cp1250Literal kText21{u8"Przekroczony czas odbierania"};
constexpr Cp1250Literal kText22{u8"Pod podanym skojarzeniem kasa o innym numerze"};
constexpr Cp1250Literal kText23{u8"Niepoprawna odpowiedź z kasy"};
constexpr Cp1250Literal kText24{u8"Kasa odpowiedziała NAK na sekwencję sterującą"};
constexpr Cp1250Literal kText25{u8"Rozkaz niedostępny w tej wersji programu kasy"};
constexpr Cp1250Literal kText26{u8"Nie włączona opcja <serwis z PC>"};
constexpr Cp1250Literal kText103{u8"Błąd w stawce podatkowej towaru"};
constexpr Cp1250Literal kText202{u8"Pod podanym numerem towar nie zdefiniowany"};

constexpr CodeText kProtocolTexts[] = {
    {0, kVersion.c_str()}, {19, kText19.c_str()},   {20, kText20.c_str()},   {21, kText21.c_str()},
    {22, kText22.c_str()}, {23, kText23.c_str()},   {24, kText24.c_str()},   {25, kText25.c_str()},
    {26, kText26.c_str()}, {103, kText103.c_str()}, {202, kText202.c_str()},
};

}  // namespace

int CVeduvezidECR::Open(int port) {
  return Open(port, kDefaultSpeed);
}

int CVeduvezidECR::Open(int port, int speed) {
  return OpenPort(port, speed) && FlushBothWays() ? 1 : 0;
}

bool CVeduvezidECR::Bound() {
  if (m_pComm != nullptr) return true;
  m_nError = TE_NOTOPEN;
  return false;
}

bool CVeduvezidECR::Succeeded(int status) {
  if (status == 0) return true;
  m_nError = status;
  return false;
}

bool CVeduvezidECR::OpenPort(int port, int speed) {
  m_nError = 0;
  m_nPort = port;
  return Bound() && Succeeded(Comm().OpenPort(port, 1024, 1024, speed, 8, 'N', 1));
}

bool CVeduvezidECR::FlushBothWays() {
  Comm().FlushOutput(m_nPort);
  if (!Succeeded(Comm().CheckStatus())) return false;
  Comm().FlushInput(m_nPort);
  return Succeeded(Comm().CheckStatus());
}

int CVeduvezidECR::SendFrame(const CChrArr& frame) {
  // Dumped first: a send that stalls (flow control, a line that died) still leaves
  // what it was sending.
  WriteDump(DumpKind::kSent, frame);
  return Transmit(frame);
}

int CVeduvezidECR::Transmit(const CChrArr& frame) {
  if (frame.IsEmpty()) return 1;
  if (!Bound()) return 0;
  const int sent = Comm().Send(m_nPort, frame, kDeadlineSeconds);
  if (!Succeeded(Comm().CheckStatus())) return 0;
  if (sent < frame.GetSize()) {
    m_nError = kShortWrite;
    return 0;
  }
  return Succeeded(Comm().WaitOutputDrained(m_nPort, kDeadlineSeconds)) ? 1 : 0;
}

int CVeduvezidECR::SendControl(std::uint8_t byte) {
  return SendFrame(CChrArr(byte, 1));
}

CChrArr CVeduvezidECR::ReceiveCount(int count, int seconds) {
  CChrArr received;
  if (Bound()) {
    received = Comm().Receive(m_nPort, count, seconds);
    if (!Succeeded(Comm().CheckStatus())) received = CChrArr();
  }
  WriteDump(DumpKind::kReceivedBlock, received);
  return received;
}

CChrArr CVeduvezidECR::ReceiveTerminated(std::uint8_t terminator, int limit, int seconds) {
  CChrArr received;
  if (Bound()) {
    received = Comm().ReceiveUntil(m_nPort, terminator, limit, seconds);
    if (!Succeeded(Comm().CheckStatus())) received = CChrArr();
  }
  WriteDump(DumpKind::kTerminatedBlock, received);
  return received;
}

void CVeduvezidECR::Close() {
  m_nError = 0;
  if (m_pComm != nullptr) Comm().ClosePort(m_nPort, 1);
}

void CVeduvezidECR::Notify(int code, std::string_view text, int first, int second) {
  if (m_pHostLink != nullptr) m_pHostLink->PostStatus(code, text, first, second);
}

std::string CVeduvezidECR::ErrorText(int code) const {
  if (code < 0) return CVeduvezid::SerialErrorText(code);
  for (const CodeText& entry : kProtocolTexts) {
    if (entry.code == code) return entry.text;
  }
  return kUnknown.c_str();
}

}  // namespace zelvane
