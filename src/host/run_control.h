#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>

#include "host/device_registry.h"
#include "jobs/job_error.h"
#include "jobs/run_state.h"
#include "zelvane.h"

namespace zelvane {

class CLogicScaner;
class CVeduvezid;
class HostLink;

// What a run does besides its request: the run mode and what that mode hands over.
struct RunSetup {
  int mode = 0;
  CodeCallback codeCallback = nullptr;
  RecordCallback recordCallback = nullptr;
  LoadArguments loadArguments;
};

// Decides who runs: the created flag, the start of a run and its refusals, and the
// current job that the break, error and article-line calls address. Every call may
// come from any host thread at any time; starts are made one at a time, while a
// break, an error query and an article line never wait for a start.
class RunControl {
 public:
  RunControl(std::span<const DeviceEntry> devices, CLogicScaner* defaultJob, CVeduvezid& serial,
             HostLink& hostLink, RunState& state);
  RunControl(const RunControl&) = delete;
  RunControl& operator=(const RunControl&) = delete;

  // ScanerCreate: 1 created; 0 when the service exists already (the default job then
  // holds 999999 "Failed to create OLE ECR Control" and becomes current).
  int32_t Create(void* window);
  // ScanerDelete: a running job is not stopped.
  void Delete();

  // ScanerRun: the reading loop of the request's device.
  int32_t StartReadLoop(const RunRequest* request, CodeCallback callback);
  // ZelvaneRunCollector: a collector mode; a bad mode or argument is refused before
  // any device is touched.
  int32_t StartCollectorRun(const RunRequest* request, const RunSetup& setup);

  // ScanerBreakJob: the running job, whichever job is current.
  void Break();

  // ScanerError and ScanerErrMsg: the current job's last error; with no job current
  // yet, the default job becomes current with the general failure. A start refused
  // because its own job already runs keeps its reason here instead, until the next
  // start or create, so that the running transfer's error stays its own.
  int32_t ErrorCode();
  std::string ErrorText();

  // ScanerSetBarCodeInfo: hands the record to the current job; 1 when there is one and
  // the record is not null.
  int32_t OfferRecord(HostLineRecord* record);

 private:
  // 1 when the worker of the request's device runs in the setup's mode; 0 when the code
  // selects nothing, another run is in the way or the device did not open (the reason
  // on the job).
  int32_t Start(const RunRequest* request, const RunSetup& setup);
  bool MakeWayFor(const DeviceEntry& selected);
  const DeviceEntry* RunningDevice() const;
  CLogicScaner* JobForQuery();
  void RefuseFor(CLogicScaner& job, std::string reason);
  void MarkRefused(CLogicScaner* job);

  const std::span<const DeviceEntry> m_devices;
  CLogicScaner* const m_defaultJob;
  CVeduvezid& m_serial;
  HostLink& m_hostLink;
  RunState& m_state;
  std::mutex m_starting;
  std::atomic<bool> m_created{false};
  std::atomic<CLogicScaner*> m_currentJob{nullptr};
  JobError m_ownRunRefusal;
  std::atomic<bool> m_ownRunRefused{false};
};

// The library's one run control, over the device registry.
RunControl& TheRunControl();

}  // namespace zelvane
