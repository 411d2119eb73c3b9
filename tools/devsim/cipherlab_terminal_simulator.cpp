#include "cipherlab_terminal_simulator.h"

#include <utility>

#include "overloaded.h"

namespace zelvane::devsim {
namespace {

constexpr char kCr = '\r';
constexpr std::size_t kLongestLine = 300;
constexpr int kSequences = 10;

char CheckByte(unsigned value) {
  const unsigned byte = value & 0xFF;
  return static_cast<char>(byte == 0x0D ? 0x0E : byte);
}

std::string CheckBytes(std::string_view text) {
  unsigned sum = 0;
  for (const char c : text) sum += static_cast<unsigned char>(c);
  return {CheckByte(sum >> 8), CheckByte(sum)};
}

}  // namespace

std::string TerminalFrame(int sequence, std::string_view text) {
  return static_cast<char>(sequence) + std::string(text) + CheckBytes(text) + kCr;
}

bool TakeUploadedFrame(std::string_view frame, std::string& text) {
  if (frame.size() < 3 || frame.back() != kCr) return false;
  text = std::string(frame.substr(0, frame.size() - 3));
  return frame.substr(frame.size() - 3, 2) == CheckBytes(text);
}

CipherLabTerminalSimulator::CipherLabTerminalSimulator(DeviceLink& link, int baud,
                                                       const std::vector<TerminalStep>& script,
                                                       UploadListener onUpload)
    : PacedLink(link, baud),
      DeviceSimulator(static_cast<PacedLink&>(*this)),
      m_onUpload(std::move(onUpload)) {
  Outgoing pending;
  for (const TerminalStep& step : script) {
    std::visit(Overloaded{[&](const TerminalRecord& record) {
                            pending.text = record.text;
                            m_records.push_back(std::exchange(pending, Outgoing{}));
                          },
                          [&](TerminalCue cue) {
                            switch (cue) {
                              case TerminalCue::kNakCommand: ++m_commandNaks; break;
                              case TerminalCue::kNakRecord: ++m_uploadNaks; break;
                              case TerminalCue::kRepeatSequence: pending.repeat = true; break;
                              case TerminalCue::kWrongCheck: pending.wrongCheckFirst = true; break;
                              case TerminalCue::kNoCr: pending.noCrFirst = true; break;
                              case TerminalCue::kLoneOver: m_loneOver = true; break;
                              case TerminalCue::kSilence: pending.silenceBefore = true; break;
                            }
                          }},
               step);
  }
  m_silentAtEnd = pending.silenceBefore;
}

void CipherLabTerminalSimulator::Receive(char byte) {
  m_line += byte;
  if (byte == kCr) {
    const std::string line = std::exchange(m_line, std::string());
    HandleLine(line);
  } else if (m_line.size() > kLongestLine) {
    m_line.clear();
  }
}

void CipherLabTerminalSimulator::HandleLine(const std::string& line) {
  if (line == "READ\r") return AnswerCommand(State::kDownloading);
  if (line == "CIPHER\r") return AnswerCommand(State::kUploading);
  switch (m_state) {
    case State::kDownloading:
      if (line == "NAK\r") {
        SendCurrentRecord();
      } else if (line == "ACK\r") {
        // The terminal missed the ACK and sends the same record again.
        if (m_records[m_next].repeat) Send(CurrentFrame());
        ++m_next;
        m_faultSent = false;
        SendCurrentRecord();
      }
      break;
    case State::kUploading: TakeUpload(line); break;
    case State::kIdle:
    case State::kSilent: break;
  }
}

void CipherLabTerminalSimulator::AnswerCommand(State next) {
  if (m_commandNaks > 0) {
    --m_commandNaks;
    Send("NAK\r");
    return;
  }
  Send("ACK\r");
  m_state = next;
  if (next == State::kUploading) m_oversReceived = 0;
  if (next == State::kDownloading) {
    m_next = 0;
    m_faultSent = false;
    SendCurrentRecord();
  }
}

void CipherLabTerminalSimulator::SendCurrentRecord() {
  if (m_next == m_records.size()) return SendEnd();
  const Outgoing& record = m_records[m_next];
  if (record.silenceBefore) {
    m_state = State::kSilent;
    return;
  }
  std::string frame = CurrentFrame();
  if (!m_faultSent && (record.wrongCheckFirst || record.noCrFirst)) {
    m_faultSent = true;
    if (record.wrongCheckFirst)
      frame[frame.size() - 2] = static_cast<char>(frame[frame.size() - 2] ^ 0x01);
    if (record.noCrFirst) frame.pop_back();
  }
  Send(frame);
}

std::string CipherLabTerminalSimulator::CurrentFrame() const {
  return TerminalFrame(static_cast<int>(m_next % kSequences), m_records[m_next].text);
}

void CipherLabTerminalSimulator::SendEnd() {
  m_state = State::kIdle;
  if (m_silentAtEnd) return;
  Send(m_loneOver ? "OVER\r" : "OVER\rOVER\r");
}

void CipherLabTerminalSimulator::TakeUpload(const std::string& line) {
  if (line == "OVER\r") {
    if (++m_oversReceived == 2) m_state = State::kIdle;
    return;
  }
  std::string text;
  if (!TakeUploadedFrame(line, text)) {
    Send("NAK\r");
    return;
  }
  if (m_uploadNaks > 0) {
    --m_uploadNaks;
    Send("NAK\r");
    return;
  }
  Send("ACK\r");
  m_uploaded.push_back(text);
  if (m_onUpload) m_onUpload(text);
}

}  // namespace zelvane::devsim
