#pragma once

#include <cstdint>

#include "buffers/chr_arr.h"
#include "devices/scales/radwag.h"

namespace zelvane {

// CAS AP-1 scales are asked for every reading with a control-character dialogue and
// answer with a framed block of ten characters (see cas_frames.h). Each exchange step
// waits at most kDeadlineSeconds.
class CCasAP_1 : public CRadwag {
 public:
  // The link check: ENQ answered by ACK. 1 when it was, 0 otherwise.
  int Enquire();
  // One whole dialogue; 1 when `answer` holds the ten answer characters of a valid
  // block that ended with EOT, 0 otherwise.
  int ReadWeight(CChrArr& answer);

  // The last answer the job judged; empty after the open and after a failed exchange.
  const CChrArr& LastAnswer() const { return m_LastAnswer; }
  void SetLastAnswer(const CChrArr& answer) { m_LastAnswer = answer; }
  void ForgetLastAnswer() { m_LastAnswer = CChrArr(); }

 private:
  // Exactly one byte, equal to `expected`, arrived within the deadline.
  bool ReceiveControl(std::uint8_t expected);

  CChrArr m_LastAnswer;
};

}  // namespace zelvane
