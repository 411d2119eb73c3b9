#include "bht_terminal_simulator.h"

#include <cstdio>
#include <utility>

#include "devices/control_characters.h"
#include "overloaded.h"

namespace zelvane::devsim {
namespace {

constexpr char kStray = '?';
constexpr std::size_t kCodeWidth = 16;
constexpr std::size_t kQuantityWidth = 5;
// Longer than the PC waits for another file (2 seconds, up to 3 on its whole-second
// clock), so that the next call starts a new transfer.
constexpr std::chrono::seconds kRestAfterTransfer{4};

std::string Fitted(std::string_view text, std::size_t width, bool blanksLeft) {
  std::string field(text.substr(0, width));
  const std::string blanks(width - field.size(), ' ');
  return blanksLeft ? blanks + field : field + blanks;
}

// A record block without its check byte.
std::string RecordBody(std::string_view code, std::string_view quantity) {
  return std::string(1, control::kStx) + Fitted(code, kCodeWidth, false) +
         Fitted(quantity, kQuantityWidth, true) + std::string(1, control::kEtx);
}

}  // namespace

std::string BhtBlockWithCheck(std::string_view block) {
  char check = 0;
  for (std::size_t i = 1; i < block.size(); ++i) check = static_cast<char>(check ^ block[i]);
  return std::string(block) + check;
}

std::string BhtHeaderBlock(int count) {
  char digits[8];
  std::snprintf(digits, sizeof digits, "%05d", count % 100000);
  return BhtBlockWithCheck(std::string(1, control::kSoh) + "ZELVANE.DAT " + digits + "      " +
                           std::string(1, control::kEtx));
}

std::string BhtRecordBlock(std::string_view code, std::string_view quantity) {
  return BhtBlockWithCheck(RecordBody(code, quantity));
}

BhtTerminalSimulator::BhtTerminalSimulator(DeviceLink& link, int baud,
                                           const std::vector<BhtStep>& script)
    : PacedLink(link, baud), DeviceSimulator(static_cast<PacedLink&>(*this)) {
  // Files as lists of record blocks; the header is made once a file's count is known.
  std::vector<std::vector<Transmission>> files(1);
  std::vector<bool> silentBeforeEot;
  Transmission pending;
  bool longBlock = false;
  for (const BhtStep& step : script) {
    std::visit(
        Overloaded{[&](const BhtRecordStep& record) {
                     std::string body = RecordBody(record.code, record.quantity);
                     if (std::exchange(longBlock, false)) body.insert(1, " ");
                     pending.bytes = BhtBlockWithCheck(body);
                     files.back().push_back(std::exchange(pending, Transmission{}));
                   },
                   [&](BhtCue cue) {
                     switch (cue) {
                       case BhtCue::kNewFile:
                         silentBeforeEot.push_back(std::exchange(pending.silenceBefore, false));
                         files.emplace_back();
                         break;
                       case BhtCue::kWrongCheck: pending.wrongCheckFirst = true; break;
                       case BhtCue::kLongBlock: longBlock = true; break;
                       case BhtCue::kSilence: pending.silenceBefore = true; break;
                       case BhtCue::kStrayByte:
                         (files.size() == 1 && files.front().empty() ? m_strayBeforeCall
                                                                     : m_strayAtEnd) = true;
                         break;
                     }
                   }},
        step);
  }
  silentBeforeEot.push_back(pending.silenceBefore);
  for (std::size_t f = 0; f < files.size(); ++f) {
    m_plan.push_back({std::string(1, control::kEnq)});
    m_plan.push_back({BhtHeaderBlock(static_cast<int>(files[f].size()))});
    m_plan.insert(m_plan.end(), files[f].begin(), files[f].end());
    m_plan.push_back({std::string(1, control::kEot), false, silentBeforeEot[f]});
  }
}

void BhtTerminalSimulator::Beat() {
  if (m_state == State::kResting && std::chrono::steady_clock::now() >= m_restUntil) {
    m_state = State::kCalling;
    m_next = 0;
    m_straySent = false;
  }
  if (m_state != State::kCalling) return;
  if (m_strayBeforeCall && !std::exchange(m_straySent, true)) Send(std::string(1, kStray));
  Send(m_plan.front().bytes);
}

void BhtTerminalSimulator::Receive(char byte) {
  if (byte != control::kAck && byte != control::kNak) return;
  switch (m_state) {
    case State::kCalling:
      if (byte != control::kAck) return;
      m_state = State::kAwaiting;
      break;
    case State::kAwaiting:
      // A refused block goes out again, right this time.
      if (byte == control::kNak) return SendCurrent();
      break;
    case State::kSilent:
    case State::kResting: return;
  }
  ++m_next;
  m_faultSent = false;
  SendCurrent();
}

void BhtTerminalSimulator::SendCurrent() {
  if (m_next == m_plan.size()) {
    if (m_strayAtEnd) Send(std::string(1, kStray));
    m_state = State::kResting;
    m_restUntil = std::chrono::steady_clock::now() + kRestAfterTransfer;
    return;
  }
  const Transmission& piece = m_plan[m_next];
  if (piece.silenceBefore) {
    m_state = State::kSilent;
    return;
  }
  std::string bytes = piece.bytes;
  if (piece.wrongCheckFirst && !std::exchange(m_faultSent, true)) {
    bytes.back() = static_cast<char>(bytes.back() ^ 0x5A);
  }
  Send(bytes);
}

}  // namespace zelvane::devsim
