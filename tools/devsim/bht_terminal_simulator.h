#pragma once

#include <chrono>
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "device_simulator.h"
#include "paced_link.h"

namespace zelvane::devsim {

// One record a BHT-6045 terminal holds: a code (cut or blank-filled to 16 characters)
// and a quantity text (blank-filled on the left to 5).
struct BhtRecordStep {
  std::string code;
  std::string quantity;
};

// What a terminal does on cue. Each applies where it stands in the script.
enum class BhtCue {
  kNewFile,     // the records after it form the next file of the transfer
  kWrongCheck,  // the next record goes out first with a wrong check byte, right on NAK
  kLongBlock,   // the next record's block is 24 bytes long (a blank more)
  kSilence,     // the terminal stops before the next record (or the file's EOT)
  kStrayByte,   // a byte other than ENQ before the first call, or at the end
};

using BhtStep = std::variant<BhtRecordStep, BhtCue>;

// A block as the terminal sends it: the block, then the exclusive-or of its bytes after
// SOH or STX.
std::string BhtBlockWithCheck(std::string_view block);
// A file's header block for `count` records, and a record block.
std::string BhtHeaderBlock(int count);
std::string BhtRecordBlock(std::string_view code, std::string_view quantity);

// A Denso BHT-6045 terminal on a line paced at `baud` that sends its files to the PC:
// ENQ at every beat until the PC answers ACK, then each file's header, records and EOT,
// each block sent again on NAK and the next one on ACK, an ENQ before each further
// file, and nothing (or the stray byte on cue) at the end. It calls again once the PC
// has seen the end of the transfer.
class BhtTerminalSimulator : private PacedLink, public DeviceSimulator {
 public:
  BhtTerminalSimulator(DeviceLink& link, int baud, const std::vector<BhtStep>& script);

  void Receive(char byte) override;
  void Beat() override;

 private:
  // One piece of the transfer, sent until the PC acknowledges it.
  struct Transmission {
    std::string bytes;
    bool wrongCheckFirst = false;
    bool silenceBefore = false;
  };
  enum class State { kCalling, kAwaiting, kSilent, kResting };

  void SendCurrent();

  std::vector<Transmission> m_plan;  // the first link ENQ, then every block, EOT and ENQ
  bool m_strayBeforeCall = false;
  bool m_strayAtEnd = false;

  State m_state = State::kCalling;
  std::size_t m_next = 0;  // the transmission awaiting its answer
  bool m_faultSent = false;
  bool m_straySent = false;
  std::chrono::steady_clock::time_point m_restUntil;
};

}  // namespace zelvane::devsim
