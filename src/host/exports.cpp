// The exported C interface. Every function runs on the host's thread, returns an
// integer (or a text) and never lets an exception out.
#include <atomic>

#include "host/device_registry.h"
#include "host/library_objects.h"
#include "host/record_layouts.h"
#include "jobs/logic_scaner.h"
#include "jobs/run_state.h"
#include "ondrell.h"
#include "platform/message_box.h"
#include "serial/veduvezid.h"
#include "zelvane.h"

namespace zelvane {
namespace {

// Build switch: creation and deletion also reach Ondrell, and Ondrell answers the
// error queries and the Scaner2X exports.
constexpr bool ForwardToOndrell = ZELVANE_FORWARD_TO_ONDRELL != 0;

constexpr const char* kCreateFailedText = "Failed to create OLE ECR Control";

std::atomic<bool> g_created{false};
std::atomic<CLogicScaner*> g_currentJob{nullptr};

// Runs an export body; anything thrown becomes the export's failure result.
template <typename Result, typename Body>
Result Guarded(Result onFailure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
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
    if (request == nullptr) {
      MarkRunRefused(g_currentJob.load());
      return 0;
    }
    const int32_t deviceCode = request->device;
    RunState& state = TheRunState();
    // Word 9 exists only in collector requests; other hosts may pass nine words.
    state.StoreRequest(*request, IsCollectorCode(deviceCode));
    state.SetCodeCallback(callback);
    state.SetRunMode(1);

    CLogicScaner* job = SelectJob(deviceCode);
    if (job == nullptr) {
      MarkRunRefused(g_currentJob.load());
      return 0;
    }
    CVeduvezid& serial = TheSerialObject();
    job->SetErrorCode(0);
    job->SetComm(&serial);
    g_currentJob.store(job);
    if (job->Start(serial.NotifyWindow(), 0) != 0) return 1;
    MarkRunRefused(job);
    return 0;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerBreakJob(void) {
  return Guarded<int32_t>(0, [] {
    TheSerialObject().RequestBreak();
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
    return job != nullptr ? job->GetErrorMessage().c_str() : kCreateFailedText;
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

ZELVANE_API void ZELVANE_CALL ZelvaneSetMessageHandler(ZelvaneMessageHandler handler) {
  Guarded<int>(0, [&] {
    platform::SetMessageHandler(handler);
    return 0;
  });
}

ZELVANE_API void ZELVANE_CALL ZelvaneSetStatusObserver(StatusCallback observer) {
  Guarded<int>(0, [&] {
    TheSerialObject().SetStatusObserver(observer);
    return 0;
  });
}

}  // extern "C"
