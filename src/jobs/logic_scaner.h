#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/job_error.h"
#include "jobs/run_state.h"
#include "jobs/thread_job.h"
#include "zelvane.h"

namespace zelvane {

class CVeduvezid;
class HostLink;

// The shape of every device run: open the device named by the request, run the run
// mode, report the outcome, close the device, and tell the host about each step in
// status notices. Device jobs supply only the device operations.
class CLogicScaner : public CThreadJob {
 public:
  // Size of the text buffer that ReadCode fills.
  static constexpr std::size_t kCodeTextSize = 32;
  static constexpr int kSystemFailure = 999999;

  // Text of a protocol error code.
  virtual std::string ErrorText(int code) = 0;
  // Opens the device; 1 opened, 0 failed with the error code and text set.
  virtual int OpenDevice(int port, const RunRequest* request);
  virtual int CloseDevice(int port);
  // One poll: 1 when a reading was taken; its NUL-terminated text (possibly empty)
  // is in `text`, which holds kCodeTextSize bytes.
  virtual int ReadCode(int port, char* text) = 0;
  // Reads the device's records, handing each to `callback`; 1 on success.
  virtual int ReadCollector(int port, RecordCallback callback) = 0;
  // Sends host records to the device; 1 on success. Run mode 3 calls it on the
  // worker with the run's records.
  virtual int LoadCollector(int port, void* records, int count, int third, int fourth) = 0;

  // From a host thread (ScanerSetBarCodeInfo): one article line for the run in
  // progress, taken only by a reading-loop run (mode 1) whose device is open, and
  // then handed to LoadHostRecord. Never waits for the worker.
  void TakeHostRecord(HostLineRecord* record);

  // The run mode of the run in progress: 0 between runs, and from the start of a run's
  // close on, while its worker ends.
  int CurrentRunMode() const { return m_runMode.load(); }

  // Binds the serial object that carries the device's traffic.
  void SetComm(CVeduvezid* comm) { m_pComm.store(comm); }
  CVeduvezid* GetComm() const { return m_pComm.load(); }
  // Binds the link that carries the run's status notices to the host.
  void SetHostLink(HostLink* link) { m_pHostLink.store(link); }
  HostLink* GetHostLink() const { return m_pHostLink.load(); }

  // Sends one status notice through the host link; nothing without one.
  void Notify(int code, std::string_view text, int first, int second);

  int GetErrorCode() const { return m_error.Code(); }
  void SetErrorCode(int code) { m_error.SetCode(code); }
  // A copy: the worker may change the text at any time.
  std::string GetErrorMessage() const { return m_error.Text(); }
  void SetError(int code, std::string text) { m_error.Set(code, std::move(text)); }

  // The pauses of the polling loop; replaceable so that timing can be counted.
  using SleepFunction = void (*)(unsigned milliseconds);
  void SetSleepFunction(SleepFunction sleep) { m_sleep = sleep; }

 protected:
  int Run() override;
  int Prepare() override;

  int IsOpened() const { return m_bOpened.load(); }

  // What a host's article line means to the device: by default the LoadCollector of
  // one record with port 0; a job whose port the worker may be using replaces it.
  virtual int LoadHostRecord(HostLineRecord* record);

  // The pause before each poll of a device polled every half second: the whole pause
  // by default. A device that can tell when a reading waits (the price checkers, where
  // a customer waits for the answer) ends it as soon as one does, or when the job is
  // broken.
  virtual void PauseBeforePoll(unsigned milliseconds) { m_sleep(milliseconds); }

 private:
  int OpenJob();
  int RunMode();
  void CloseJob();
  void ShowWait(std::string_view title);
  int ReportResult(int result);
  int ReadLoop(CodeCallback callback);
  int ReadOnePass(PollTiming timing, int port, int previousResult, char* text);
  int ReadFromCollector();
  int LoadIntoCollector();

  JobError m_error;
  std::atomic<CVeduvezid*> m_pComm{nullptr};
  std::atomic<HostLink*> m_pHostLink{nullptr};
  std::atomic<std::uint8_t> m_bOpened{0};
  std::atomic<int> m_runMode{0};
  SleepFunction m_sleep = &platform::SleepMs;
};

}  // namespace zelvane
