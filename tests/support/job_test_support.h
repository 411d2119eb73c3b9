#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "jobs/logic_scaner.h"
#include "jobs/run_state.h"
#include "zelvane.h"

namespace zelvane::testing {

// Waits (sleeping) until the job is idle; false when it still runs after the limit.
bool WaitUntilIdle(const CThreadJob& job, unsigned milliseconds = 10000);

// One status notice as the host's callback received it.
struct ReceivedNotice {
  int code;
  std::string text;
  int first;
  int second;
  bool operator==(const ReceivedNotice&) const = default;
};

// Collects the notices that reach the status callback and the codes that reach the
// code callback. The callbacks are plain C functions, so there is one recorder at a
// time; it is only read after the run it recorded has ended.
class HostRecorder {
 public:
  HostRecorder();
  ~HostRecorder();
  HostRecorder(const HostRecorder&) = delete;
  HostRecorder& operator=(const HostRecorder&) = delete;

  static void ZELVANE_CALL OnStatus(int32_t code, const char* text, int32_t first, int32_t second);
  static void ZELVANE_CALL OnCode(const char* code);

  std::vector<int> NoticeCodes() const;
  const std::vector<ReceivedNotice>& Notices() const { return m_notices; }
  const std::vector<std::string>& Codes() const { return m_codes; }

 private:
  std::vector<ReceivedNotice> m_notices;
  std::vector<std::string> m_codes;
};

// Fills the run state as ScanerRun does, with the recorder's callbacks.
void PrepareRun(int deviceCode, int port, bool withStatusCallback);

// A device job whose operations follow a script and leave a trace of what the job
// base asked of it ("open", "read", "sleep 500", "close", ...).
class ScriptedDeviceJob : public CLogicScaner {
 public:
  ScriptedDeviceJob();
  ~ScriptedDeviceJob() override;

  // The result of each ReadCode in turn and the text it leaves; after the script the
  // job breaks itself, as a host would. A result of kThrows makes that read throw.
  struct Read {
    int result;
    std::string text;
  };
  static constexpr int kThrows = -1000;
  void ScriptReads(std::vector<Read> reads) {
    m_reads = std::move(reads);
    m_nextRead = 0;
  }
  void SetOpenResult(int result, int errorCode, std::string errorText);
  // Called inside OpenDevice, on the starting thread.
  void OnOpen(std::function<void(ScriptedDeviceJob&)> action) { m_onOpen = std::move(action); }

  std::string ErrorText(int code) override { return "text " + std::to_string(code); }
  int OpenDevice(int port, const RunRequest* request) override;
  int CloseDevice(int port) override;
  int ReadCode(int port, char* text) override;
  int ReadCollector(int port, RecordCallback callback) override;
  int LoadCollector(int port, void* records, int count, int third, int fourth) override;

  const std::vector<std::string>& Trace() const { return m_trace; }

 private:
  static void RecordSleep(unsigned milliseconds);

  std::vector<Read> m_reads;
  std::size_t m_nextRead = 0;
  int m_openResult = 1;
  int m_openErrorCode = 0;
  std::string m_openErrorText;
  std::function<void(ScriptedDeviceJob&)> m_onOpen;
  std::vector<std::string> m_trace;
};

}  // namespace zelvane::testing
