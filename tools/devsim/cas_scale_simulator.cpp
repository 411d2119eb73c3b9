#include "cas_scale_simulator.h"

#include <utility>

#include "overloaded.h"

namespace zelvane::devsim {

char BlockCheck(std::string_view text) {
  char check = 0;
  for (const char c : text) check = static_cast<char>(check ^ c);
  return check;
}

std::string AnswerBlock(const CasAnswer& answer) {
  const char check = BlockCheck(answer.text);
  // Flipping every bit gives a byte that differs from the right one in any case.
  const char sent = answer.wrongCheck ? static_cast<char>(~check) : check;
  return std::string(1, cas::kStx) + answer.text + sent + std::string(1, cas::kEtx);
}

CasScaleSimulator::CasScaleSimulator(DeviceLink& link, std::vector<CasStep> script)
    : DeviceSimulator(link), m_script(std::move(script)) {}

void CasScaleSimulator::Receive(char byte) {
  switch (byte) {
    case cas::kEnq: AnswerEnquiry(); break;
    case cas::kDc1: AnswerRequest(); break;
    default: break;
  }
}

void CasScaleSimulator::AnswerEnquiry() {
  m_acknowledged.reset();
  const CasStep* step = m_script.Next();
  if (step == nullptr) return;
  std::visit(Overloaded{[this](const CasAnswer& answer) {
                          m_acknowledged = answer;
                          Send(std::string(1, cas::kAck));
                        },
                        [this](const CasRefusal&) { Send(std::string(1, cas::kNak)); },
                        [](const CasSilence&) {}},
             *step);
}

void CasScaleSimulator::AnswerRequest() {
  if (!m_acknowledged) return;
  Send(std::string(1, cas::kSoh) + AnswerBlock(*m_acknowledged) + std::string(1, cas::kEot));
  m_acknowledged.reset();
}

}  // namespace zelvane::devsim
