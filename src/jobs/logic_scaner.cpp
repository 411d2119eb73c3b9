#include "jobs/logic_scaner.h"

#include "buffers/cp1250_literal.h"
#include "jobs/host_link.h"
#include "jobs/notice_codes.h"
#include "jobs/run_modes.h"
#include "jobs/run_state.h"
#include "platform/guarded_call.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

constexpr Cp1250Literal kSystemFailureText{u8"System drukarek fiskalnych - błąd systemu !"};
constexpr Cp1250Literal kReadTitle{u8"Odczyt danych z kolektora"};
constexpr Cp1250Literal kLoadTitle{u8"Ładowanie danych do kolektora"};
constexpr Cp1250Literal kPleaseWait{u8"Proszę czekać..."};

// The serial errors TE_PARAM, TE_NOPORT, TE_NOTOPEN and TE_CONFL are port failures.
bool IsPortFailure(int code) {
  return code <= -1 && code >= -4;
}

}  // namespace

int CLogicScaner::OpenDevice(int, const RunRequest*) {
  return 0;
}

int CLogicScaner::CloseDevice(int) {
  return 0;
}

void CLogicScaner::Notify(int code, std::string_view text, int first, int second) {
  if (HostLink* link = GetHostLink()) link->PostStatus(code, text, first, second);
}

int CLogicScaner::Prepare() {
  m_runMode.store(TheRunState().RunMode());
  const int opened = OpenJob();
  if (opened == 0) {
    CloseJob();
    return 0;
  }
  return 1;
}

int CLogicScaner::Run() {
  int result = 0;
  try {
    result = RunMode();
  } catch (...) {
    // Out of memory, or a host callback that threw: the run still reports its end
    // and closes the device, so that the port is free for the next run.
    result = 0;
    SetError(kSystemFailure, kSystemFailureText.c_str());
  }
  ReportResult(result);
  CloseJob();
  return 0;
}

int CLogicScaner::RunMode() {
  switch (m_runMode.load()) {
    case run_mode::kReadLoop: return ReadLoop(TheRunState().GetCodeCallback());
    case run_mode::kCollectorRead: return ReadFromCollector();
    case run_mode::kCollectorLoad: return LoadIntoCollector();
    default: return 0;
  }
}

void CLogicScaner::TakeHostRecord(HostLineRecord* record) {
  if (record == nullptr || m_runMode.load() != run_mode::kReadLoop || IsOpened() == 0) return;
  LoadHostRecord(record);
}

int CLogicScaner::LoadHostRecord(HostLineRecord* record) {
  return LoadCollector(0, record, 1, 0, 0);
}

int CLogicScaner::OpenJob() {
  CVeduvezid* comm = GetComm();
  if (comm == nullptr) {
    m_bOpened.store(0);
    SetError(kSystemFailure, kSystemFailureText.c_str());
    Notify(notice::kPortFailure, GetErrorMessage(), 0, kSystemFailure);
    return 0;
  }
  Notify(notice::kOpening, "", 0, 0);
  // After notice 1: that notice still reaches the callback of the previous run.
  if (HostLink* link = GetHostLink()) link->SetStatusCallback(TheRunState().GetStatusCallback());

  const RunState& state = TheRunState();
  const int opened = OpenDevice(state.PortNumber(), state.Request());
  if (opened == 1) {
    m_bOpened.store(1);
    // Opening the port cleared the serial object's break: one that came during the
    // open still ends the run's first wait.
    if (IsBreakRequested() != 0) comm->RequestBreak();
    return 1;
  }
  m_bOpened.store(0);
  const int code = GetErrorCode();
  Notify(IsPortFailure(code) ? notice::kPortFailure : notice::kOpenFailed, GetErrorMessage(), 0,
         code);
  return opened;
}

void CLogicScaner::CloseJob() {
  // Both cleared before the close: a host's record that comes from now on finds the
  // device shut, so nothing is written to the port after its notice 11; and a start
  // that comes right after the notice knows that this run is ending, not running.
  m_runMode.store(0);
  if (m_bOpened.exchange(0) == 1) {
    CloseDevice(TheRunState().PortNumber());
    Notify(notice::kClosed, "", 0, 0);
  } else {
    Notify(notice::kPortFailure, GetErrorMessage(), 0, GetErrorCode());
  }
}

void CLogicScaner::ShowWait(std::string_view title) {
  Notify(notice::kTitle, title, 0, 0);
  Notify(notice::kWaitText, kPleaseWait.c_str(), 0, 0);
}

int CLogicScaner::ReportResult(int result) {
  if (result == 1) {
    Notify(notice::kRunSucceeded, "", 0, 0);
  } else {
    Notify(notice::kRunFailed, GetErrorMessage(), 0, GetErrorCode());
  }
  return result;
}

int CLogicScaner::ReadLoop(CodeCallback callback) {
  char text[kCodeTextSize] = {};
  int result = 0;
  while (IsBreakRequested() == 0) {
    // The request is read at every pass, as a new ScanerRun may have rewritten it.
    const RunState& state = TheRunState();
    result = ReadOnePass(state.GetPollTiming(), state.PortNumber(), result, text);
    if (result == 1 && text[0] != '\0') {
      if (callback != nullptr) platform::CallCodeCallback(callback, text);
      text[0] = '\0';
    }
  }
  return result;
}

// One poll of the device, with the timing that its kind needs: the CAS scale answers
// a reading only when asked and is tried three times, the others are polled every
// 500 ms. Returns the value of the last ReadCode.
int CLogicScaner::ReadOnePass(PollTiming timing, int port, int previousResult, char* text) {
  const auto readCode = [&] {
    const int read = ReadCode(port, text);
    // Whatever the device job wrote, the text stays terminated within its buffer.
    text[kCodeTextSize - 1] = '\0';
    return read;
  };
  if (timing == PollTiming::kEveryHalfSecond) {
    PauseBeforePoll(500);
    return readCode();
  }
  if (previousResult == 1) m_sleep(300);
  int read = readCode();
  for (int retry = 0; read != 1 && retry < 2; ++retry) {
    m_sleep(100);
    read = readCode();
  }
  if (read != 1) m_sleep(300);
  return read;
}

int CLogicScaner::ReadFromCollector() {
  ShowWait(kReadTitle.c_str());
  return ReadCollector(TheRunState().PortNumber(), TheRunState().GetRecordCallback());
}

int CLogicScaner::LoadIntoCollector() {
  ShowWait(kLoadTitle.c_str());
  const LoadArguments& arguments = TheRunState().GetLoadArguments();
  return LoadCollector(TheRunState().PortNumber(), arguments.records, arguments.count,
                       arguments.third, arguments.fourth);
}

}  // namespace zelvane
