#pragma once

#include <chrono>
#include <string>
#include <variant>
#include <vector>

#include "device_simulator.h"
#include "paced_link.h"

namespace zelvane::devsim {

// One record a DT-700 terminal holds; an empty quantity is sent as nothing after the
// second ":".
struct CasioRecordStep {
  std::string code;
  std::string quantity;
};

// What a terminal does on cue.
enum class CasioCue {
  kLateEtx,  // the first "?" of each transfer goes alone, its ETX one beat later
  kSilence,  // the terminal stops before the next record (or the end marker)
};

using CasioStep = std::variant<CasioRecordStep, CasioCue>;

// A record as the terminal sends it: its length from the leading ":" to the CR in one
// or two digits, then ":" code ":" quantity CR.
std::string CasioRecordFrame(const CasioRecordStep& record);

// A Casio DT-700 terminal on a line paced at `baud` that sends its records to the PC:
// "?" ETX at every beat until the PC answers ACK, then "-" STX, the records and "!"
// ETX (only "!" ETX when it holds none), and it rests once the PC acknowledged the end.
// It calls again after a pause.
class CasioTerminalSimulator : private PacedLink, public DeviceSimulator {
 public:
  CasioTerminalSimulator(DeviceLink& link, int baud, const std::vector<CasioStep>& script);

  void Receive(char byte) override;
  void Beat() override;

 private:
  enum class State { kCalling, kEtxDue, kSending, kResting };

  // No calls until `pause` has passed.
  void Rest(std::chrono::milliseconds pause);

  // What follows the link: the start marker, the records and the end, as far as the
  // terminal gets before a silence.
  std::string m_transfer;
  bool m_lateEtx = false;

  State m_state = State::kCalling;
  bool m_lateEtxPlayed = false;
  std::chrono::steady_clock::time_point m_restUntil;
};

}  // namespace zelvane::devsim
