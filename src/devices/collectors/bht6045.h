#pragma once

#include "buffers/chr_arr.h"
#include "devices/reading_record.h"
#include "protocol/veduvezid_ecr.h"

namespace zelvane {

// Denso BHT-6045 terminals send their files at 9600,N,8,1 whatever the host asks for.
// The terminal leads: ENQ (answered ACK), then per file a header block with the record
// count, one block per record and EOT, each answered ACK; another ENQ starts the next
// file, silence ends the transfer. Link bytes and check bytes are awaited 2 seconds,
// blocks kDeadlineSeconds (bht_blocks.h has the blocks' layout).
//
// The check byte after each block is compared with the block (unless the build turns
// that off): a block that does not match is answered NAK, which makes the terminal
// send it again at once, and is neither parsed nor counted.
//
// The error code: 0, a serial TE_* code (the end of a transfer is seen by its time-out,
// so a complete read leaves TE_TIMEOUT), kShortWrite, or kRejectedBlock when a block
// was refused kMaxRefusals times in a row. Malformed blocks end the read with 0.
class CBht6045 : public CVeduvezidECR {
 public:
  static constexpr int kLinkSeconds = 2;
  static constexpr int kLinkAttempts = 7;
  static constexpr int kMaxRefusals = 10;
  static constexpr int kRejectedBlock = 23;

  // Opens at 9600 baud; `speed` is not used.
  int Open(int port, int speed) override;
  using CVeduvezidECR::Open;

  // The whole download: every record with a quantity above 0 goes to `sink` (valid
  // during the call) after a progress notice, except the transfer's very first record,
  // which is never delivered. 1 when the terminal ended the transfer properly.
  int ReadRecords(const ReadingSink& sink);

 private:
  // One attempt: an ENQ within kLinkSeconds, answered ACK. Any other byte fails at once.
  bool WaitLink();
  // One block up to ETX with its check byte, acknowledged; a block whose check byte
  // does not match is refused with NAK and awaited again.
  bool ReceiveCheckedBlock(CChrArr& block);
  // The byte that follows a file's last record is EOT.
  bool WaitEot();
};

}  // namespace zelvane
