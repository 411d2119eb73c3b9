#pragma once

#include <functional>
#include <optional>

#include "devices/collectors/cipherlab_frames.h"
#include "protocol/veduvezid_ecr.h"

namespace zelvane {

// CipherLab batch terminals on a serial line at the speed the host asks for, 8 data
// bits, no parity, one stop bit (the base's open). Reading sends "READ" and takes the
// records the terminal sends, acknowledging each; loading sends "CIPHER" and then one
// frame per record, each acknowledged by the terminal. Every wait for an answer is
// limited to kDeadlineSeconds; commands and uploaded records are sent at most three
// times, and a download gives up after three rejected frames in a row.
//
// Every operation leaves its outcome in the error code: 0, a serial TE_* code,
// kShortWrite, kRefused when the terminal answered NAK three times, or kBadReply for
// an answer that is neither ACK nor NAK, a download that ended in three rejected
// frames, or an end marker not followed by a second one.
class CCipherLab : public CVeduvezidECR {
 public:
  static constexpr int kBadReply = 23;
  static constexpr int kRefused = 24;

  using RecordSink = std::function<void(cipherlab::CollectorRecord& record)>;
  using RecordSource = std::function<void(cipherlab::CollectorRecord& record, int index)>;

  // Reads the terminal's records, handing each accepted one to `deliver` once (the
  // record is valid only during the call) after a progress notice 5 with its code and
  // the progress 10, 20, ... 90, 0, 10, ... 1 when the terminal ended with "OVER"
  // twice, 0 otherwise.
  int ReadRecords(const RecordSink& deliver, cipherlab::RecordLayout layout);

  // Loads `count` records, asking `fill` for each by index, then sends the end marker.
  // 1 when every record was acknowledged; 0 otherwise, and for a count of 0 or less
  // once the terminal has acknowledged the command.
  int LoadRecords(const RecordSource& fill, int count);

  // The check that received frames get; the build's by default.
  void SetCheckValue(cipherlab::CheckValue check) { m_check = check; }

 private:
  // Sends the frame until the terminal acknowledges it, at most three times.
  bool SendUntilAcknowledged(const CChrArr& frame);
  // One line up to its CR; empty for a line too long or not ended in time (which is
  // dropped whole, so that its bytes do not become the head of the next frame), and
  // nothing when the line is gone: a break, a lost or closed port.
  std::optional<CChrArr> ReceiveLine();
  // The received and own check values go to the trace, as the original software
  // showed them.
  void TraceCheckValues(const cipherlab::FrameVerdict& verdict);
  // The protocol's own reason, unless a serial failure is already the error.
  void FailWith(int code);

  cipherlab::CheckValue m_check = cipherlab::BuiltInCheckValue();
};

}  // namespace zelvane
