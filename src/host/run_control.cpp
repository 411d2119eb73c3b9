#include "host/run_control.h"

#include <string>

#include "buffers/cp1250_literal.h"
#include "jobs/host_link.h"
#include "jobs/logic_scaner.h"
#include "jobs/run_modes.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

constexpr const char* kCreateFailedText = "Failed to create OLE ECR Control";

constexpr Cp1250Literal kBusyOpening{u8"Trwa praca innego urządzenia ("};
constexpr Cp1250Literal kBusyClosing{u8"); najpierw przerwij ją"};
constexpr Cp1250Literal kNotEndedOpening{u8"Przerwana praca urządzenia ("};
constexpr Cp1250Literal kNotEndedClosing{u8") jeszcze się nie zakończyła"};
constexpr Cp1250Literal kAlreadyRunningOpening{u8"Trwa już praca tego urządzenia ("};

constexpr Cp1250Literal kUnknownRunMode{u8"Nieznany tryb pracy (dozwolone: 2 odczyt, 3 ładowanie)"};
constexpr Cp1250Literal kNoRecordCallback{
    u8"Odczyt z kolektora wymaga funkcji odbierającej rekordy"};
constexpr Cp1250Literal kNoRecordsToLoad{
    u8"Ładowanie kolektora wymaga tablicy rekordów i ich liczby"};

// A job the host has broken ends within one poll; a new run waits this long for it.
constexpr unsigned kBreakGraceMilliseconds = 5000;

// Why ZelvaneRunCollector refuses a run before touching any device, or null.
const char* CollectorModeRefusal(const RunSetup& setup) {
  switch (setup.mode) {
    case run_mode::kCollectorRead:
      return setup.recordCallback == nullptr ? kNoRecordCallback.c_str() : nullptr;
    case run_mode::kCollectorLoad:
      return setup.loadArguments.records == nullptr || setup.loadArguments.count < 0
                 ? kNoRecordsToLoad.c_str()
                 : nullptr;
    default: return kUnknownRunMode.c_str();
  }
}

// A code offered to the collector export only is, for ScanerRun, a code that selects
// nothing.
bool OffersRunMode(const DeviceEntry& device, int mode) {
  return device.offer == RunOffer::kEveryExport || mode != run_mode::kReadLoop;
}

}  // namespace

RunControl::RunControl(std::span<const DeviceEntry> devices, CLogicScaner* defaultJob,
                       CVeduvezid& serial, HostLink& hostLink, RunState& state)
    : m_devices(devices),
      m_defaultJob(defaultJob),
      m_serial(serial),
      m_hostLink(hostLink),
      m_state(state) {}

int32_t RunControl::Create(void* window) {
  m_ownRunRefused.store(false);
  bool wasCreated = false;
  if (!m_created.compare_exchange_strong(wasCreated, true)) {
    m_currentJob.store(m_defaultJob);
    m_defaultJob->SetError(CLogicScaner::kSystemFailure, kCreateFailedText);
    return 0;
  }
  m_hostLink.SetStatusCallback(nullptr);
  m_hostLink.AttachWindow(window, 0);
  m_serial.ClearBreak();
  m_currentJob.store(m_defaultJob);
  return 1;
}

void RunControl::Delete() {
  m_created.store(false);
}

int32_t RunControl::StartReadLoop(const RunRequest* request, CodeCallback callback) {
  RunSetup setup;
  setup.mode = run_mode::kReadLoop;
  setup.codeCallback = callback;
  return Start(request, setup);
}

int32_t RunControl::StartCollectorRun(const RunRequest* request, const RunSetup& setup) {
  const char* refusal = CollectorModeRefusal(setup);
  if (refusal == nullptr) return Start(request, setup);
  // The reason goes to the job of the request's device, which becomes current; a code
  // that selects nothing leaves the general failure on the current job.
  const DeviceEntry* device = request != nullptr ? FindDevice(m_devices, request->device) : nullptr;
  if (device == nullptr) {
    MarkRefused(m_currentJob.load());
    return 0;
  }
  RefuseFor(*device->job, refusal);
  return 0;
}

void RunControl::Break() {
  m_serial.RequestBreak();
  // The running job, whichever job is current (a second ScanerCreate changes it).
  for (const DeviceEntry& device : m_devices) {
    if (device.job->IsRunning() != 0) device.job->Break();
  }
  if (CLogicScaner* job = m_currentJob.load()) job->Break();
}

int32_t RunControl::ErrorCode() {
  if (m_ownRunRefused.load()) return m_ownRunRefusal.Code();
  return JobForQuery()->GetErrorCode();
}

std::string RunControl::ErrorText() {
  if (m_ownRunRefused.load()) return m_ownRunRefusal.Text();
  return JobForQuery()->GetErrorMessage();
}

CLogicScaner* RunControl::JobForQuery() {
  CLogicScaner* job = m_currentJob.load();
  if (job != nullptr) return job;
  m_defaultJob->SetError(CLogicScaner::kSystemFailure, kCreateFailedText);
  CLogicScaner* none = nullptr;
  return m_currentJob.compare_exchange_strong(none, m_defaultJob) ? m_defaultJob : none;
}

int32_t RunControl::OfferRecord(HostLineRecord* record) {
  CLogicScaner* job = m_currentJob.load();
  if (job == nullptr || record == nullptr) return 0;
  job->TakeHostRecord(record);
  return 1;
}

int32_t RunControl::Start(const RunRequest* request, const RunSetup& setup) {
  if (request == nullptr) {
    MarkRefused(m_currentJob.load());
    return 0;
  }
  // A refused code leaves the run state alone: a running job reads it.
  const DeviceEntry* device = FindDevice(m_devices, request->device);
  if (device == nullptr || !OffersRunMode(*device, setup.mode)) {
    MarkRefused(m_currentJob.load());
    return 0;
  }
  CLogicScaner* job = device->job;
  // One start at a time: two hosts' threads must not prepare one job twice, nor rewrite
  // the run state while the other's job opens with it.
  const std::lock_guard<std::mutex> starting(m_starting);
  m_ownRunRefused.store(false);
  const DeviceEntry* running = RunningDevice();
  if (running != nullptr && running->job == job && job->IsBreakRequested() == 0 &&
      setup.mode == run_mode::kReadLoop && job->CurrentRunMode() == run_mode::kReadLoop) {
    // The reading loop of this very job runs: nothing is started or rewritten.
    m_currentJob.store(job);
    return 1;
  }
  if (!MakeWayFor(*device)) return 0;

  // Word 9 exists only in collector requests; other hosts may pass nine words.
  m_state.StoreRequest(*request, device->statusCallbackInWord9);
  m_state.SetPollTiming(device->pollTiming);
  m_state.SetCodeCallback(setup.codeCallback);
  if (setup.mode == run_mode::kCollectorRead) m_state.SetRecordCallback(setup.recordCallback);
  if (setup.mode == run_mode::kCollectorLoad) m_state.SetLoadArguments(setup.loadArguments);
  m_state.SetRunMode(setup.mode);

  job->SetErrorCode(0);
  job->SetComm(&m_serial);
  job->SetHostLink(&m_hostLink);
  m_currentJob.store(job);
  if (job->Start(m_hostLink.NotifyWindow(), 0) != 0) return 1;
  MarkRefused(job);
  return 0;
}

// Jobs share the serial object, so a run may not start beside another. A job the host
// broke, or whose run has reached its close (its notice 11 may already be out), is
// waited for; one that runs unbroken refuses every other run, its own included (its
// transfer keeps its callback, its records and its error).
bool RunControl::MakeWayFor(const DeviceEntry& selected) {
  const DeviceEntry* running = RunningDevice();
  if (running == nullptr) return true;
  const bool broken = running->job->IsBreakRequested() != 0 || running->job->CurrentRunMode() == 0;
  if (broken && running->job->StopAndWait(kBreakGraceMilliseconds)) return true;
  const char* opening = broken                         ? kNotEndedOpening.c_str()
                        : running->job == selected.job ? kAlreadyRunningOpening.c_str()
                                                       : kBusyOpening.c_str();
  const char* closing = broken ? kNotEndedClosing.c_str() : kBusyClosing.c_str();
  RefuseFor(*selected.job, opening + std::string(running->family) + closing);
  return false;
}

// The reason of a refused start goes to the job the host asked for, which becomes
// current; a job that runs keeps its own error for its run's notices.
void RunControl::RefuseFor(CLogicScaner& job, std::string reason) {
  if (job.IsRunning() != 0) {
    m_ownRunRefusal.Set(CLogicScaner::kSystemFailure, std::move(reason));
    m_ownRunRefused.store(true);
  } else {
    job.SetError(CLogicScaner::kSystemFailure, std::move(reason));
  }
  m_currentJob.store(&job);
}

const DeviceEntry* RunControl::RunningDevice() const {
  for (const DeviceEntry& device : m_devices) {
    if (device.job->IsRunning() != 0) return &device;
  }
  return nullptr;
}

// A refused run leaves the general failure on the current job unless it holds a
// reason of its own.
void RunControl::MarkRefused(CLogicScaner* job) {
  if (job != nullptr && job->GetErrorCode() == 0) job->SetErrorCode(CLogicScaner::kSystemFailure);
}

}  // namespace zelvane
