#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cyclic_script.h"
#include "device_simulator.h"
#include "devices/control_characters.h"

namespace zelvane::devsim {

// The CAS AP-1 dialogue's control characters.
namespace cas = control;

// One reading: ENQ is acknowledged and DC1 answered with the text in a block. The
// scale's texts are 10 characters such as "S  1.234kg"; others make blocks the PC
// must refuse.
struct CasAnswer {
  std::string text;
  bool wrongCheck = false;  // a block check character that does not match the text
};
// ENQ is answered with NAK.
struct CasRefusal {};
// ENQ gets no reply at all.
struct CasSilence {};
using CasStep = std::variant<CasAnswer, CasRefusal, CasSilence>;

// The block check character: the exclusive-or of the answer's characters.
char BlockCheck(std::string_view text);

// STX, the text, its block check character (or a wrong one), ETX.
std::string AnswerBlock(const CasAnswer& answer);

// A CAS AP-1 scale. Every ENQ starts a dialogue that plays the next step of the
// script; DC1 after an acknowledged ENQ gets SOH, the answer block and EOT.
class CasScaleSimulator : public DeviceSimulator {
 public:
  CasScaleSimulator(DeviceLink& link, std::vector<CasStep> script);

  void Receive(char byte) override;

 private:
  void AnswerEnquiry();
  void AnswerRequest();

  CyclicScript<CasStep> m_script;
  // The answer of an acknowledged ENQ, until DC1 asks for it.
  std::optional<CasAnswer> m_acknowledged;
};

}  // namespace zelvane::devsim
