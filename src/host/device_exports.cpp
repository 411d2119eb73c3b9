// The exported device interface. Every function runs on the host's thread, returns an
// integer (or a text) and never lets an exception out.
#include <atomic>
#include <string>

#include "buffers/cp1250_literal.h"
#include "host/device_registry.h"
#include "host/export_guard.h"
#include "host/library_objects.h"
#include "host/record_layouts.h"
#include "jobs/logic_scaner.h"
#include "jobs/run_state.h"
#include "ondrell.h"
#include "serial/veduvezid.h"
#include "zelvane.h"

namespace zelvane {
namespace {

// Build switch: creation and deletion also reach Ondrell, and Ondrell answers the
// error queries and the Scaner2X exports.
constexpr bool ForwardToOndrell = ZELVANE_FORWARD_TO_ONDRELL != 0;

constexpr const char* kCreateFailedText = "Failed to create OLE ECR Control";

constexpr Cp1250Literal kBusyOpening{u8"Trwa praca innego urządzenia ("};
constexpr Cp1250Literal kBusyClosing{u8"); najpierw przerwij ją"};
constexpr Cp1250Literal kNotEndedOpening{u8"Przerwana praca urządzenia ("};
constexpr Cp1250Literal kNotEndedClosing{u8") jeszcze się nie zakończyła"};

// The run modes: the reading loop of ScanerRun, and the collectors' read and load.
constexpr int kReadLoop = 1;
constexpr int kCollectorRead = 2;
constexpr int kCollectorLoad = 3;

constexpr Cp1250Literal kUnknownRunMode{u8"Nieznany tryb pracy (dozwolone: 2 odczyt, 3 ładowanie)"};
constexpr Cp1250Literal kNoRecordCallback{
    u8"Odczyt z kolektora wymaga funkcji odbierającej rekordy"};
constexpr Cp1250Literal kNoRecordsToLoad{
    u8"Ładowanie kolektora wymaga tablicy rekordów i ich liczby"};

// A job the host has broken ends within one poll; a new run waits this long for it.
constexpr unsigned kBreakGraceMilliseconds = 5000;

std::atomic<bool> g_created{false};
std::atomic<CLogicScaner*> g_currentJob{nullptr};

// The row of the job whose worker runs (or is being prepared), if any.
const DeviceEntry* RunningDevice() {
  for (const DeviceEntry& device : Devices()) {
    if (device.job->IsRunning() != 0) return &device;
  }
  return nullptr;
}

// Jobs share the serial object, so a run may not start beside another. A job the host
// broke is waited for; one that runs unbroken lets only its own device through (whose
// Start then answers 1 and starts nothing). A refusal leaves its reason on the
// selected job, which becomes current.
bool MakeWayFor(const DeviceEntry& selected) {
  const DeviceEntry* running = RunningDevice();
  if (running == nullptr) return true;
  const bool broken = running->job->IsBreakRequested() != 0;
  if (broken && running->job->StopAndWait(kBreakGraceMilliseconds)) return true;
  if (!broken && running->job == selected.job) return true;
  const char* opening = broken ? kNotEndedOpening.c_str() : kBusyOpening.c_str();
  const char* closing = broken ? kNotEndedClosing.c_str() : kBusyClosing.c_str();
  selected.job->SetError(CLogicScaner::kSystemFailure,
                         opening + std::string(running->family) + closing);
  g_currentJob.store(selected.job);
  return false;
}

// The job that the error queries report; with none yet, the default job becomes
// current with the general failure.
CLogicScaner* CurrentJobForQuery() {
  CLogicScaner* job = g_currentJob.load();
  if (job == nullptr) {
    job = DefaultJob();
    if (job != nullptr) {
      job->SetError(CLogicScaner::kSystemFailure, kCreateFailedText);
      g_currentJob.store(job);
    }
  }
  return job;
}

// A refused run leaves the general failure on the current job unless it holds a
// reason of its own.
void MarkRunRefused(CLogicScaner* job) {
  if (job != nullptr && job->GetErrorCode() == 0) job->SetErrorCode(CLogicScaner::kSystemFailure);
}

// What a run does besides the request: its run mode and what that mode hands over.
struct RunModeSetup {
  int mode = kReadLoop;
  CodeCallback codeCallback = nullptr;
  RecordCallback recordCallback = nullptr;
  LoadArguments loadArguments;
};

// A code offered to the collector export only is, for ScanerRun, a code that selects
// nothing.
bool OffersRunMode(const DeviceEntry& device, int mode) {
  return device.offer == RunOffer::kEveryExport || mode != kReadLoop;
}

// Starts the job of the request's device in the run mode of `setup`: 1 when its worker
// runs, 0 when the code selects nothing, another job is in the way or the device did
// not open (the reason on the job, as ScanerRun leaves it).
int32_t StartRun(const RunRequest* request, const RunModeSetup& setup) {
  if (request == nullptr) {
    MarkRunRefused(g_currentJob.load());
    return 0;
  }
  // A refused code leaves the run state alone: a running job reads it.
  const DeviceEntry* device = FindDevice(request->device);
  if (device == nullptr || !OffersRunMode(*device, setup.mode)) {
    MarkRunRefused(g_currentJob.load());
    return 0;
  }
  if (!MakeWayFor(*device)) return 0;

  RunState& state = TheRunState();
  // Word 9 exists only in collector requests; other hosts may pass nine words.
  state.StoreRequest(*request, device->statusCallbackInWord9);
  state.SetPollTiming(device->pollTiming);
  state.SetCodeCallback(setup.codeCallback);
  if (setup.mode == kCollectorRead) state.SetRecordCallback(setup.recordCallback);
  if (setup.mode == kCollectorLoad) state.SetLoadArguments(setup.loadArguments);
  state.SetRunMode(setup.mode);

  CLogicScaner* job = device->job;
  CVeduvezid& serial = TheSerialObject();
  job->SetErrorCode(0);
  job->SetComm(&serial);
  g_currentJob.store(job);
  if (job->Start(serial.NotifyWindow(), 0) != 0) return 1;
  MarkRunRefused(job);
  return 0;
}

// Why ZelvaneRunCollector refuses a run before touching any device, or null.
const char* CollectorModeRefusal(const RunModeSetup& setup) {
  switch (setup.mode) {
    case kCollectorRead:
      return setup.recordCallback == nullptr ? kNoRecordCallback.c_str() : nullptr;
    case kCollectorLoad:
      return setup.loadArguments.records == nullptr || setup.loadArguments.count < 0
                 ? kNoRecordsToLoad.c_str()
                 : nullptr;
    default: return kUnknownRunMode.c_str();
  }
}

// A refused collector run leaves the general failure and its reason on the job of the
// request's device, which becomes current, or (for a code that selects nothing) the
// general failure on the current job.
void RefuseCollectorRun(const RunRequest* request, const char* reason) {
  const DeviceEntry* device = request != nullptr ? FindDevice(request->device) : nullptr;
  if (device == nullptr) {
    MarkRunRefused(g_currentJob.load());
    return;
  }
  device->job->SetError(CLogicScaner::kSystemFailure, reason);
  g_currentJob.store(device->job);
}

}  // namespace
}  // namespace zelvane

using namespace zelvane;

extern "C" {

ZELVANE_API int32_t ZELVANE_CALL ScanerCreate(void* window) {
  return Guarded<int32_t>(0, [&] {
    if constexpr (ForwardToOndrell) Scaner2Create(window);
    if (g_created.load()) {
      if (CLogicScaner* job = DefaultJob()) {
        g_currentJob.store(job);
        job->SetError(CLogicScaner::kSystemFailure, kCreateFailedText);
      }
      return 0;
    }
    CVeduvezid& serial = TheSerialObject();
    serial.SetStatusCallback(nullptr);
    serial.AttachWindow(window, 0);
    g_currentJob.store(DefaultJob());
    g_created.store(true);
    return 1;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerRun(const RunRequest* request, CodeCallback callback) {
  return Guarded<int32_t>(0, [&] {
    RunModeSetup setup;
    setup.codeCallback = callback;
    return StartRun(request, setup);
  });
}

ZELVANE_API int32_t ZELVANE_CALL ZelvaneRunCollector(const RunRequest* request, int32_t runMode,
                                                     RecordCallback onRecord,
                                                     HostLineRecord* records, int32_t count) {
  return Guarded<int32_t>(0, [&] {
    RunModeSetup setup;
    setup.mode = runMode;
    setup.recordCallback = onRecord;
    setup.loadArguments.records = records;
    setup.loadArguments.count = count;
    if (const char* refusal = CollectorModeRefusal(setup)) {
      RefuseCollectorRun(request, refusal);
      return 0;
    }
    return StartRun(request, setup);
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerBreakJob(void) {
  return Guarded<int32_t>(0, [] {
    TheSerialObject().RequestBreak();
    // The running job, whichever job is current (a second ScanerCreate changes it).
    for (const DeviceEntry& device : Devices()) {
      if (device.job->IsRunning() != 0) device.job->Break();
    }
    if (CLogicScaner* job = g_currentJob.load()) job->Break();
    return 0;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerDelete(void) {
  return Guarded<int32_t>(1, [] {
    if constexpr (ForwardToOndrell) Scaner2Delete();
    g_created.store(false);
    return 1;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerError(void) {
  return Guarded<int32_t>(CLogicScaner::kSystemFailure, []() -> int32_t {
    if constexpr (ForwardToOndrell) return Scaner2Error();
    const CLogicScaner* job = CurrentJobForQuery();
    return job != nullptr ? job->GetErrorCode() : CLogicScaner::kSystemFailure;
  });
}

ZELVANE_API const char* ZELVANE_CALL ScanerErrMsg(void) {
  return Guarded<const char*>(kCreateFailedText, []() -> const char* {
    if constexpr (ForwardToOndrell) return Scaner2ErrMsg();
    const CLogicScaner* job = CurrentJobForQuery();
    if (job == nullptr) return kCreateFailedText;
    // The worker may change the job's text at any time: each thread gets its own copy,
    // valid until its next call.
    thread_local std::string text;
    text = job->GetErrorMessage();
    return text.c_str();
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerSetBarCodeInfo(HostLineRecord* record) {
  return Guarded<int32_t>(0, [&] {
    CLogicScaner* job = g_currentJob.load();
    if (job == nullptr || record == nullptr) return 0;
    job->LoadCollector(0, record, 1, 0, 0);
    return 1;
  });
}

ZELVANE_API int32_t ZELVANE_CALL Scaner2XRun(int32_t first, int32_t second) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if constexpr (ForwardToOndrell) return Scaner2Run(first, second);
    return 0;
  });
}

ZELVANE_API int32_t ZELVANE_CALL Scaner2XBreakJob(int32_t argument) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if constexpr (ForwardToOndrell) return Scaner2BreakJob(argument);
    return 0;
  });
}

}  // extern "C"
