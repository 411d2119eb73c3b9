#include "devices/scales/scale_jobs.h"

#include "devices/scales/cas_stability.h"
#include "protocol/trace_log.h"

namespace zelvane {

int CAP_SCALE::OpenDevice(int port, const RunRequest*) {
  if (!BindProtocol()) return 0;
  m_protocol.ForgetLastAnswer();
  m_bArmed = 0;
  const int opened = TakeOpenResult(m_protocol.Open(port));
  // Traced whatever the open gave, so that a failed run leaves its (empty) trace too.
  m_protocol.OpenTraceLog();
  return opened;
}

int CAP_SCALE::CloseDevice(int) {
  m_protocol.Close();
  m_protocol.CloseTraceLog();
  return 1;
}

int CAP_SCALE::ReadCode(int, char* text) {
  text[0] = '\0';
  CChrArr answer;
  if (m_protocol.ReadWeight(answer) != 1) {
    // The next answer, whatever it is, counts as a change.
    m_protocol.ForgetLastAnswer();
    return 0;
  }
  m_protocol.TraceLine(answer, TraceLog::kFromDevice);

  const CChrArr normalised = NormaliseCasAnswer(answer);
  const CasVerdict verdict = JudgeCasAnswer(normalised, m_protocol.LastAnswer(), IsArmed());
  m_protocol.SetLastAnswer(normalised);
  m_bArmed = verdict.armed ? 1 : 0;
  if (!verdict.report) return 0;

  const CChrArr code = CasWeightCode(normalised);
  ToFixedText(text, code, kWeightCodeLength);
  m_protocol.TraceLine(code, TraceLog::kFromDevice);
  return 1;
}

int CAP_SCALE::ReadCollector(int, RecordCallback) {
  BeginTransfer();
  return 0;
}

}  // namespace zelvane
