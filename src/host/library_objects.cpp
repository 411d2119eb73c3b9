#include "host/library_objects.h"

#include "buffers/cp1250_literal.h"
#include "devices/collectors/collector_jobs.h"
#include "devices/pricecheck/price_checker_job.h"
#include "devices/pricecheck/price_exchange.h"
#include "devices/scales/scale_jobs.h"
#include "devices/scanners/scanner_jobs.h"
#include "host/device_registry.h"
#include "host/run_control.h"
#include "jobs/host_link.h"
#include "jobs/run_state.h"
#include "platform/process_end.h"
#include "serial/veduvezid.h"

namespace zelvane {
namespace {

// Polish names of the families, for the host's messages.
constexpr Cp1250Literal kTysso{u8"skaner Tysso"};
constexpr Cp1250Literal kMetrologic{u8"skaner Metrologic"};
constexpr Cp1250Literal kFawag{u8"waga Fawag"};
constexpr Cp1250Literal kRadwag{u8"waga Radwag"};
constexpr Cp1250Literal kCas{u8"waga CAS AP-1"};
constexpr Cp1250Literal kPriceChecker{u8"sprawdzarka cen"};
constexpr Cp1250Literal kCipherLab{u8"kolektor CipherLab"};
constexpr Cp1250Literal kBht{u8"kolektor Denso BHT-6045"};
constexpr Cp1250Literal kCasio{u8"kolektor Casio DT-700"};

// The library's long-lived objects, defined in one place so that they are built in
// this order at load and destroyed in the reverse order at unload: the run state,
// the host link, the serial object, then the device jobs, each holding its protocol
// object.
RunState g_runState;
HostLink g_hostLink;
CVeduvezid g_serialObject;
CML_SCANER g_metrologicScanner;
CTY_SCANER g_tyssoScanner;
CCP_DCOLL g_cipherLabCollector;
CBH_DCOLL g_bhtCollector;
CSP_DCOLL g_cipherLabShortCollector;
CFA_SCALE g_fawagScale;
CRA_SCALE g_radwagScale;
CAP_SCALE g_casScale;
// Made before the price checker's job, whose close still uses it at unload.
PriceExchange g_priceExchange;
CSL_SCANER g_priceChecker{g_priceExchange};
// Beyond the original nine jobs, offered through the collector export only.
CCA_DCOLL g_casioCollector;

// The device registry: which job serves which device codes, and how.
constexpr PollTiming kHalfSecond = PollTiming::kEveryHalfSecond;
constexpr RunOffer kEveryExport = RunOffer::kEveryExport;
const DeviceEntry kDevices[] = {
    {402, 405, &g_metrologicScanner, kMetrologic.c_str(), false, kHalfSecond, kEveryExport},
    {400, 401, &g_tyssoScanner, kTysso.c_str(), false, kHalfSecond, kEveryExport},
    {500, 501, &g_cipherLabCollector, kCipherLab.c_str(), true, kHalfSecond, kEveryExport},
    {503, 503, &g_bhtCollector, kBht.c_str(), true, kHalfSecond, kEveryExport},
    {504, 504, &g_cipherLabShortCollector, kCipherLab.c_str(), true, kHalfSecond, kEveryExport},
    {600, 600, &g_fawagScale, kFawag.c_str(), false, kHalfSecond, kEveryExport},
    {601, 601, &g_radwagScale, kRadwag.c_str(), false, kHalfSecond, kEveryExport},
    {602, 602, &g_casScale, kCas.c_str(), false, PollTiming::kAskUntilAnswered, kEveryExport},
    {702, 702, &g_priceChecker, kPriceChecker.c_str(), false, kHalfSecond, kEveryExport},
    {505, 505, &g_casioCollector, kCasio.c_str(), true, kHalfSecond,
     RunOffer::kCollectorExportOnly},
};

// Decides which of the jobs above runs; the Metrologic scanner job is the one it falls
// back on.
RunControl g_runControl{kDevices, &g_metrologicScanner, g_serialObject, g_hostLink, g_runState};

// Stops every job at unload before the objects its run uses are destroyed; it is
// defined after them, so it is destroyed first.
class JobShutdown {
 public:
  JobShutdown() = default;
  JobShutdown(const JobShutdown&) = delete;
  JobShutdown& operator=(const JobShutdown&) = delete;
  ~JobShutdown() {
    // The workers are gone already, and waiting for them would only hold up the end.
    if (platform::ProcessIsEnding()) return;
    TheSerialObject().RequestBreak();
    for (const DeviceEntry& device : kDevices) device.job->StopAndWait(kGraceMilliseconds);
  }

 private:
  static constexpr unsigned kGraceMilliseconds = 3000;
};
JobShutdown g_jobShutdown;

}  // namespace

RunState& TheRunState() {
  return g_runState;
}

CVeduvezid& TheSerialObject() {
  return g_serialObject;
}

HostLink& TheHostLink() {
  return g_hostLink;
}

std::span<const DeviceEntry> Devices() {
  return kDevices;
}

RunControl& TheRunControl() {
  return g_runControl;
}

}  // namespace zelvane
