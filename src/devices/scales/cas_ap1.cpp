#include "devices/scales/cas_ap1.h"

#include <optional>

#include "devices/scales/cas_frames.h"
#include "serial/veduvezid.h"

namespace zelvane {

int CCasAP_1::Enquire() {
  if (!Bound()) return 0;
  if (!Succeeded(Comm().WaitOutputDrained(m_nPort, kDeadlineSeconds))) {
    Comm().FlushOutput(m_nPort);
    return 0;
  }
  Comm().FlushInput(m_nPort);
  if (SendControl(control::kEnq) == 0) return 0;
  return ReceiveControl(control::kAck) ? 1 : 0;
}

bool CCasAP_1::ReceiveControl(std::uint8_t expected) {
  const CChrArr received = ReceiveCount(1);
  return received.GetSize() == 1 && received[0] == expected;
}

int CCasAP_1::ReadWeight(CChrArr& answer) {
  m_nError = 0;
  if (!Bound() || !FlushBothWays()) return 0;
  answer = CChrArr();
  if (Enquire() != 1) return 0;
  if (SendControl(control::kDc1) != 1) return 0;
  if (!ReceiveControl(control::kSoh)) return 0;
  const std::optional<CChrArr> block =
      AnswerFromBlock(ReceiveTerminated(control::kEtx, cas::kMaxBlockLength), BuiltInBlockCheck());
  if (!block) return 0;
  answer = *block;
  return ReceiveControl(control::kEot) ? 1 : 0;
}

}  // namespace zelvane
