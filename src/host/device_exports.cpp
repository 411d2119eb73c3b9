// The exported device interface. Every function runs on the host's thread, returns an
// integer (or a text) and never lets an exception out.
#include <string>

#include "host/export_guard.h"
#include "host/record_layouts.h"
#include "host/run_control.h"
#include "jobs/logic_scaner.h"
#include "ondrell.h"
#include "zelvane.h"

namespace zelvane {
namespace {

// Build switch: creation and deletion also reach Ondrell, and Ondrell answers the
// error queries and the Scaner2X exports.
constexpr bool ForwardToOndrell = ZELVANE_FORWARD_TO_ONDRELL != 0;

constexpr const char* kCreateFailedText = "Failed to create OLE ECR Control";

}  // namespace
}  // namespace zelvane

using namespace zelvane;

extern "C" {

ZELVANE_API int32_t ZELVANE_CALL ScanerCreate(void* window) {
  return Guarded<int32_t>(0, [&] {
    if constexpr (ForwardToOndrell) Scaner2Create(window);
    return TheRunControl().Create(window);
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerRun(const RunRequest* request, CodeCallback callback) {
  return Guarded<int32_t>(0, [&] { return TheRunControl().StartReadLoop(request, callback); });
}

ZELVANE_API int32_t ZELVANE_CALL ZelvaneRunCollector(const RunRequest* request, int32_t runMode,
                                                     RecordCallback onRecord,
                                                     HostLineRecord* records, int32_t count) {
  return Guarded<int32_t>(0, [&] {
    RunSetup setup;
    setup.mode = runMode;
    setup.recordCallback = onRecord;
    setup.loadArguments.records = records;
    setup.loadArguments.count = count;
    return TheRunControl().StartCollectorRun(request, setup);
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerBreakJob(void) {
  return Guarded<int32_t>(0, [] {
    TheRunControl().Break();
    return 0;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerDelete(void) {
  return Guarded<int32_t>(1, [] {
    if constexpr (ForwardToOndrell) Scaner2Delete();
    TheRunControl().Delete();
    return 1;
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerError(void) {
  return Guarded<int32_t>(CLogicScaner::kSystemFailure, []() -> int32_t {
    if constexpr (ForwardToOndrell) return Scaner2Error();
    return TheRunControl().ErrorCode();
  });
}

ZELVANE_API const char* ZELVANE_CALL ScanerErrMsg(void) {
  return Guarded<const char*>(kCreateFailedText, []() -> const char* {
    if constexpr (ForwardToOndrell) return Scaner2ErrMsg();
    // The worker may change the job's text at any time: each thread gets its own copy,
    // valid until its next call.
    thread_local std::string text;
    text = TheRunControl().ErrorText();
    return text.c_str();
  });
}

ZELVANE_API int32_t ZELVANE_CALL ScanerSetBarCodeInfo(HostLineRecord* record) {
  return Guarded<int32_t>(0, [&] { return TheRunControl().OfferRecord(record); });
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
