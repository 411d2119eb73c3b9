#include "host/library_objects.h"

#include "devices/scales/scale_jobs.h"
#include "devices/scanners/scanner_jobs.h"
#include "host/device_registry.h"
#include "jobs/run_state.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

// Stops every job at unload before the objects its run uses are destroyed; it is
// defined after them, so it is destroyed first.
template <typename... Jobs>
class JobShutdown {
 public:
  explicit JobShutdown(Jobs&... jobs) : m_jobs{&jobs...} {}
  JobShutdown(const JobShutdown&) = delete;
  JobShutdown& operator=(const JobShutdown&) = delete;
  ~JobShutdown() {
    TheSerialObject().RequestBreak();
    for (CThreadJob* job : m_jobs) job->StopAndWait(kGraceMilliseconds);
  }

 private:
  static constexpr unsigned kGraceMilliseconds = 3000;
  CThreadJob* m_jobs[sizeof...(Jobs)];
};

// The library's long-lived objects, defined in one place so that they are built in
// this order at load and destroyed in the reverse order at unload: the run state,
// the serial object, then the device jobs, each holding its protocol object.
RunState g_runState;
CVeduvezid g_serialObject;
CML_SCANER g_metrologicScanner;
CTY_SCANER g_tyssoScanner;
CFA_SCALE g_fawagScale;
CRA_SCALE g_radwagScale;
CAP_SCALE g_casScale;
JobShutdown g_jobShutdown{g_metrologicScanner, g_tyssoScanner, g_fawagScale, g_radwagScale,
                          g_casScale};

}  // namespace

RunState& TheRunState() {
  return g_runState;
}

CVeduvezid& TheSerialObject() {
  return g_serialObject;
}

CLogicScaner* SelectJob(std::int32_t deviceCode) {
  switch (deviceCode) {
    case 400:
    case 401: return &g_tyssoScanner;
    case 402:
    case 403:
    case 404:
    case 405: return &g_metrologicScanner;
    case 600: return &g_fawagScale;
    case 601: return &g_radwagScale;
    case 602: return &g_casScale;
    default: return nullptr;
  }
}

CLogicScaner* DefaultJob() {
  return &g_metrologicScanner;
}

}  // namespace zelvane
