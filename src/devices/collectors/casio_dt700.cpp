#include "devices/collectors/casio_dt700.h"

#include <optional>

#include "devices/collectors/casio_records.h"
#include "devices/collectors/reading_hand_over.h"
#include "protocol/line_reader.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

constexpr int kMarkerLength = 2;
// A link marker with whatever came before it in the input.
constexpr int kLinkLimit = 8;
constexpr int kRecordLimit = 255;

}  // namespace

int CCasioDT700::Open(int port, int) {
  if (!OpenPort(port, kSpeed)) return 0;
  Comm().SetCtsFlow(port, 1);
  if (!Succeeded(Comm().CheckStatus())) return 0;
  Comm().SetLineOption2(port, 1);
  Comm().SetDtrMode(port, platform::comm::kDtrControlHandshake);
  Comm().SetRtsMode(port, platform::comm::kRtsControlHandshake);
  if (!Succeeded(Comm().CheckStatus())) return 0;
  return FlushBothWays() ? 1 : 0;
}

bool CCasioDT700::IsMarker(const CChrArr& received, std::uint8_t first, std::uint8_t second) {
  return received.GetSize() == kMarkerLength && received[0] == first && received[1] == second;
}

bool CCasioDT700::WaitLink() {
  CChrArr received;
  if (Comm().FindTerminator(m_nPort, casio::kLink) > 0) {
    received = ReceiveTerminated(control::kEtx, kLinkLimit, 0);
    // A "?" whose ETX has not come yet (nothing taken): the attempt fails and the
    // terminal's next call starts on a clean input.
    if (received.IsEmpty()) {
      Comm().FlushInput(m_nPort);
      return false;
    }
    if (received.GetSize() > kMarkerLength) received = received.Right(kMarkerLength);
  } else {
    if (Comm().BytesAvailable(m_nPort) > kMarkerLength) Comm().FlushInput(m_nPort);
    received = ReceiveCount(kMarkerLength, kLinkSeconds);
    // A lone byte ahead of a call (the late ETX of a call already dropped) would pair
    // with the "?" of every call after it and keep the link out of step for good: the
    // call is taken from its "?" instead.
    if (received.GetSize() == kMarkerLength && received[1] == casio::kLink) {
      received = received.Right(1) + ReceiveCount(1, kLinkSeconds);
    }
  }
  return IsMarker(received, casio::kLink, control::kEtx) && SendControl(control::kAck) == 1;
}

std::optional<ReadingRecord> CCasioDT700::TakeRecord(const CChrArr& prefix) {
  std::optional<ReadingRecord> record;
  if (const std::optional<int> remaining = CasioRemainingLength(prefix[0], prefix[1])) {
    const CChrArr rest = ReceiveTerminated(kCarriageReturn, kRecordLimit);
    if (const std::optional<CChrArr> text = CasioRecordText(rest, *remaining)) {
      record = CasioRecord(*text);
    }
  }
  if (!record) m_nError = kFramingError;
  return record;
}

int CCasioDT700::ReadRecords(const ReadingSink& sink) {
  m_nError = 0;
  if (!Bound()) return 0;
  ReadingHandOver handOver(*this, sink);
  int attempt = 0;
  while (!WaitLink()) {
    if (++attempt == kLinkAttempts) return 0;
  }
  const CChrArr start = ReceiveCount(kMarkerLength, kLinkSeconds);
  if (IsMarker(start, casio::kEnd, control::kEtx)) return SendControl(control::kAck);
  if (!IsMarker(start, casio::kStart, control::kStx)) return 0;
  for (;;) {
    const CChrArr prefix = ReceiveCount(kMarkerLength, kLinkSeconds);
    if (prefix.GetSize() < kMarkerLength) return 0;
    if (IsMarker(prefix, casio::kEnd, control::kEtx)) return SendControl(control::kAck);
    std::optional<ReadingRecord> record = TakeRecord(prefix);
    if (!record) return 0;
    handOver(*record);
  }
}

}  // namespace zelvane
