#include "casio_terminal_simulator.h"

#include <utility>

#include "devices/control_characters.h"
#include "overloaded.h"

namespace zelvane::devsim {
namespace {

// The PC's 2-second limits last up to 3 seconds on its whole-second clock. A new run
// must find the terminal calling, not a call of the last run's end.
constexpr std::chrono::seconds kRestAfterTransfer{4};

}  // namespace

std::string CasioRecordFrame(const CasioRecordStep& record) {
  const std::string body = ":" + record.code + ":" + record.quantity + std::string(1, control::kCr);
  return std::to_string(body.size()) + body;
}

CasioTerminalSimulator::CasioTerminalSimulator(DeviceLink& link, int baud,
                                               const std::vector<CasioStep>& script)
    : PacedLink(link, baud), DeviceSimulator(static_cast<PacedLink&>(*this)) {
  std::string records;
  bool silent = false;
  for (const CasioStep& step : script) {
    std::visit(Overloaded{[&](const CasioRecordStep& record) {
                            if (!silent) records += CasioRecordFrame(record);
                          },
                          [&](CasioCue cue) {
                            if (cue == CasioCue::kLateEtx) m_lateEtx = true;
                            if (cue == CasioCue::kSilence) silent = true;
                          }},
               step);
  }
  const std::string end = silent ? "" : "!" + std::string(1, control::kEtx);
  m_transfer =
      records.empty() && !silent ? end : "-" + std::string(1, control::kStx) + records + end;
}

void CasioTerminalSimulator::Beat() {
  if (m_state == State::kResting && std::chrono::steady_clock::now() >= m_restUntil) {
    m_state = State::kCalling;
  }
  if (m_state == State::kEtxDue) {
    Send(std::string(1, control::kEtx));
    m_state = State::kCalling;
    return;
  }
  if (m_state != State::kCalling) return;
  if (m_lateEtx && !std::exchange(m_lateEtxPlayed, true)) {
    Send("?");
    m_state = State::kEtxDue;
    return;
  }
  Send("?" + std::string(1, control::kEtx));
}

void CasioTerminalSimulator::Receive(char byte) {
  if (byte != control::kAck) return;
  if (m_state == State::kCalling) {
    m_state = State::kSending;
    Send(m_transfer);
  } else if (m_state == State::kSending) {
    m_lateEtxPlayed = false;
    Rest(kRestAfterTransfer);
  }
}

void CasioTerminalSimulator::Rest(std::chrono::milliseconds pause) {
  m_state = State::kResting;
  m_restUntil = std::chrono::steady_clock::now() + pause;
}

}  // namespace zelvane::devsim
