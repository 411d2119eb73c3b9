#pragma once

#include <atomic>
#include <cstdint>

#include "zelvane.h"

namespace zelvane {

// The four arguments that run mode 3 hands to LoadCollector; the first is the host's
// array of article lines.
struct LoadArguments {
  void* records = nullptr;
  std::int32_t count = 0;
  std::int32_t third = 0;
  std::int32_t fourth = 0;
};

// How run mode 1 polls its device.
enum class PollTiming {
  kEveryHalfSecond,   // a pause of 500 ms, then one read
  kAskUntilAnswered,  // the CAS AP-1 dialogue: up to three tries 100 ms apart, 300 ms pauses
};

// What ScanerRun leaves for the worker: the run mode, a copy of the request and the
// callbacks. The words that the running loop re-reads on every pass are accessed
// atomically, because a host may call ScanerRun again while a job runs.
class RunState {
 public:
  // Copies words 0..8; word 9 (the status callback) only when `withStatusCallback`,
  // otherwise the status callback becomes null and word 9 of the host is not read.
  void StoreRequest(const RunRequest& request, bool withStatusCallback);

  std::int32_t PortNumber() const;
  // The copy as a whole, for the open step on the host's thread.
  const RunRequest* Request() const { return &m_request; }

  void SetPollTiming(PollTiming timing) { m_pollTiming.store(timing); }
  PollTiming GetPollTiming() const { return m_pollTiming.load(); }

  void SetRunMode(int mode) { m_runMode.store(mode); }
  int RunMode() const { return m_runMode.load(); }

  void SetCodeCallback(CodeCallback callback) { m_codeCallback.store(callback); }
  CodeCallback GetCodeCallback() const { return m_codeCallback.load(); }
  StatusCallback GetStatusCallback() const { return m_statusCallback.load(); }

  void SetRecordCallback(RecordCallback callback) { m_recordCallback.store(callback); }
  RecordCallback GetRecordCallback() const { return m_recordCallback.load(); }

  void SetLoadArguments(const LoadArguments& arguments) { m_loadArguments = arguments; }
  const LoadArguments& GetLoadArguments() const { return m_loadArguments; }

 private:
  std::atomic<int> m_runMode{0};
  std::atomic<PollTiming> m_pollTiming{PollTiming::kEveryHalfSecond};
  RunRequest m_request{};
  std::atomic<CodeCallback> m_codeCallback{nullptr};
  std::atomic<StatusCallback> m_statusCallback{nullptr};
  std::atomic<RecordCallback> m_recordCallback{nullptr};
  LoadArguments m_loadArguments;
};

// The library's one run state.
RunState& TheRunState();

}  // namespace zelvane
