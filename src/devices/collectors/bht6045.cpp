#include "devices/collectors/bht6045.h"

#include <optional>

#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/reading_hand_over.h"

namespace zelvane {
namespace {

// The terminal's longest block is 25 bytes; a longer run without ETX is not a block.
constexpr int kBlockLimit = 255;

bool IsByte(const CChrArr& received, std::uint8_t expected) {
  return received.GetSize() == 1 && received[0] == expected;
}

}  // namespace

int CBht6045::Open(int port, int) {
  return OpenPort(port, kDefaultSpeed) && FlushBothWays() ? 1 : 0;
}

bool CBht6045::WaitLink() {
  return IsByte(ReceiveCount(1, kLinkSeconds), control::kEnq) && SendControl(control::kAck) == 1;
}

bool CBht6045::WaitEot() {
  return IsByte(ReceiveCount(1, kLinkSeconds), control::kEot);
}

bool CBht6045::ReceiveCheckedBlock(CChrArr& block) {
  for (int refusals = 0;;) {
    block = ReceiveTerminated(control::kEtx, kBlockLimit);
    if (block.GetSize() < 2 || block[block.GetSize() - 1] != control::kEtx) return false;
    const CChrArr check = ReceiveCount(1, kLinkSeconds);
    if (check.GetSize() != 1) return false;
    if (!BhtCheckVerified() || check[0] == BhtBlockCheck(block)) {
      // A block taken whole leaves no error behind from the link's waits before it.
      m_nError = 0;
      return SendControl(control::kAck) == 1;
    }
    if (SendControl(control::kNak) != 1) return false;
    if (++refusals == kMaxRefusals) {
      m_nError = kRejectedBlock;
      return false;
    }
  }
}

int CBht6045::ReadRecords(const ReadingSink& sink) {
  m_nError = 0;
  if (!Bound()) return 0;
  ReadingHandOver handOver(*this, sink);
  bool firstRecord = true;
  int attempt = 0;
  while (!WaitLink()) {
    if (++attempt == kLinkAttempts) return 0;
  }
  do {
    CChrArr block;
    if (!ReceiveCheckedBlock(block)) return 0;
    const std::optional<int> count = BhtRecordCount(block);
    if (!count) return 0;
    for (int remaining = *count; remaining > 0; --remaining) {
      if (!ReceiveCheckedBlock(block)) return 0;
      std::optional<ReadingRecord> record = BhtRecord(block);
      if (!record) return 0;
      // Hosts of this terminal expect the transfer's first record to be passed over,
      // whatever it holds: once per transfer, not once per file.
      if (record->quantity > 0 && !firstRecord) handOver(*record);
      firstRecord = false;
    }
    if (!WaitEot() || SendControl(control::kAck) != 1) return 0;
  } while (WaitLink());
  return 1;
}

}  // namespace zelvane
