#include "devices/scales/radwag.h"

#include <optional>

#include "buffers/chr_arr.h"
#include "devices/reading_record.h"
#include "devices/scales/scale_parsing.h"
#include "jobs/notice_codes.h"
#include "protocol/dump_files.h"
#include "protocol/line_reader.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

constexpr const char* kWeightRequest = "D\r\n";
// An answer to the weight request is at least this long with its CR LF.
constexpr int kMinAnswerLength = 10;
// Scales report a finished transfer as this progress.
constexpr int kTransferComplete = 100;

}  // namespace

bool CRadwag::TakeTextLine(CChrArr& line, int minimumLength) {
  m_nError = 0;
  line = CChrArr();
  if (!Bound()) return false;
  CChrArr taken;
  if (!Succeeded(TakePushedLine(Comm(), m_nPort, kLineFeed, taken))) return false;
  if (taken.IsEmpty() || taken.GetSize() < minimumLength) return false;
  WriteDump(DumpKind::kTextLine, taken);
  line = WithoutLineEnd(taken);
  return true;
}

int CRadwag::ReadLine(CChrArr& line) {
  TakeTextLine(line, 0);
  return 1;
}

int CRadwag::ReadAnswer(CChrArr& line) {
  return TakeTextLine(line, kMinAnswerLength) ? 1 : 0;
}

int CRadwag::WeighOnce(const ReadingSink& sink) {
  m_nError = 0;
  if (!Bound() || !FlushBothWays()) return 0;
  if (SendFrame(kWeightRequest) == 0) return 0;
  CChrArr answer;
  if (ReadAnswer(answer) == 0) return 0;
  const std::optional<double> weight = RequestedWeight(answer);
  if (!weight) return 0;

  ReadingRecord reading{};
  reading.quantity = *weight;
  Notify(notice::kProgress, "", kTransferComplete, 0);
  if (sink) sink(&reading);
  return 1;
}

}  // namespace zelvane
