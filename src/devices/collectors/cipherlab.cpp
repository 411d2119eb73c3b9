#include "devices/collectors/cipherlab.h"

#include <optional>
#include <string_view>

#include "buffers/chr_arr.h"
#include "buffers/field_format.h"
#include "jobs/notice_codes.h"
#include "protocol/line_reader.h"
#include "protocol/trace_log.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

using cipherlab::CollectorRecord;

constexpr int kMaxSends = 3;
constexpr int kMaxRejectedFrames = 3;
constexpr int kProgressStep = 10;
constexpr int kProgressWrap = 100;

// CChrArr's comparison only looks at the common prefix; answers must match whole.
bool IsExactly(const CChrArr& bytes, std::string_view text) {
  return bytes.GetSize() == static_cast<int>(text.size()) && bytes == text.data();
}

CChrArr HexField(std::uint32_t value) {
  return FormatUInt(value, 16, 10, ' ');
}

}  // namespace

void CCipherLab::FailWith(int code) {
  if (m_nError == 0) m_nError = code;
}

bool CCipherLab::SendUntilAcknowledged(const CChrArr& frame) {
  for (int send = 0; send < kMaxSends; ++send) {
    if (SendFrame(frame) == 0) return false;
    const CChrArr reply = ReceiveCount(cipherlab::kReplyLength);
    if (IsExactly(reply, cipherlab::kAck)) return true;
    if (!IsExactly(reply, cipherlab::kNak)) {
      FailWith(kBadReply);
      return false;
    }
  }
  FailWith(kRefused);
  return false;
}

std::optional<CChrArr> CCipherLab::ReceiveLine() {
  // Each frame answers for itself: a time-out or an overflow that a NAK recovered is
  // not the cause of a failure that comes later.
  m_nError = 0;
  CChrArr line = ReceiveTerminated(kCarriageReturn, cipherlab::kMaxFrameLength);
  switch (m_pComm != nullptr ? Comm().CheckStatus() : TE_NOTOPEN) {
    case 0: return line;
    case TE_OVERFLOW: return CChrArr();
    case TE_TIMEOUT: Comm().FlushInput(m_nPort); return CChrArr();
    default: return std::nullopt;
  }
}

void CCipherLab::TraceCheckValues(const cipherlab::FrameVerdict& verdict) {
  if (!verdict.hasCheckValues) return;
  TraceLine(CChrArr("BCC -> ECR:") + HexField(verdict.receivedCheck) +
                " MY_BCC:" + HexField(verdict.ownCheck),
            TraceLog::kFromDevice);
}

int CCipherLab::ReadRecords(const RecordSink& deliver, cipherlab::RecordLayout layout) {
  m_nError = 0;
  if (!Bound() || !SendUntilAcknowledged(cipherlab::kReadCommand)) return 0;
  int lastSequence = -1;
  int rejected = 0;
  int progress = 0;
  CollectorRecord record{};
  for (;;) {
    const std::optional<CChrArr> received = ReceiveLine();
    if (!received) return 0;
    const CChrArr& line = *received;
    if (IsExactly(line, cipherlab::kOver)) {
      if (IsExactly(ReceiveCount(cipherlab::kOverLength), cipherlab::kOver)) return 1;
      FailWith(kBadReply);
      return 0;
    }
    const cipherlab::FrameVerdict verdict = ParseFrame(line, layout, m_check, record);
    if (verdict.accepted) {
      // A repeat of the record just acknowledged: the terminal missed the ACK.
      if (verdict.sequence == lastSequence) {
        TraceCheckValues(verdict);
        continue;
      }
      // Unacknowledged, the terminal would send the record again and the host would
      // get it twice. Traced after the answer, which the terminal is waiting for.
      const int acknowledged = SendFrame(cipherlab::kAck);
      TraceCheckValues(verdict);
      if (acknowledged == 0) return 0;
      lastSequence = verdict.sequence;
      rejected = 0;
      progress = (progress + kProgressStep) % kProgressWrap;
      Notify(notice::kProgress, record.code, progress, 0);
      deliver(record);
      continue;
    }
    const int refused = SendFrame(cipherlab::kNak);
    TraceCheckValues(verdict);
    if (refused == 0) return 0;
    if (++rejected == kMaxRejectedFrames) {
      FailWith(kBadReply);
      return 0;
    }
  }
}

int CCipherLab::LoadRecords(const RecordSource& fill, int count) {
  m_nError = 0;
  if (!Bound() || !SendUntilAcknowledged(cipherlab::kCipherCommand)) return 0;
  if (count <= 0) return 0;
  for (int index = 0; index < count; ++index) {
    CollectorRecord record{};
    fill(record, index);
    if (!SendUntilAcknowledged(BuildFrame(record))) return 0;
  }
  SendFrame(cipherlab::kUploadEnd);
  return 1;
}

}  // namespace zelvane
