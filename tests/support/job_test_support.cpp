#include "support/job_test_support.h"

#include <cstring>
#include <new>

#include "host/device_registry.h"
#include "platform/threads.h"

namespace zelvane::testing {
namespace {

HostRecorder* g_recorder = nullptr;
ScriptedDeviceJob* g_sleepingJob = nullptr;

}  // namespace

bool WaitUntilIdle(const CThreadJob& job, unsigned milliseconds) {
  for (unsigned waited = 0; job.IsRunning() != 0 && waited < milliseconds; waited += 5) {
    platform::SleepMs(5);
  }
  return job.IsRunning() == 0;
}

HostRecorder::HostRecorder() {
  g_recorder = this;
}

HostRecorder::~HostRecorder() {
  g_recorder = nullptr;
}

void ZELVANE_CALL HostRecorder::OnStatus(int32_t code, const char* text, int32_t first,
                                         int32_t second) {
  if (g_recorder != nullptr) g_recorder->m_notices.push_back({code, text, first, second});
}

void ZELVANE_CALL HostRecorder::OnCode(const char* code) {
  if (g_recorder != nullptr) g_recorder->m_codes.emplace_back(code);
}

std::vector<int> HostRecorder::NoticeCodes() const {
  std::vector<int> codes;
  for (const ReceivedNotice& notice : m_notices) codes.push_back(notice.code);
  return codes;
}

void PrepareRun(int deviceCode, int port, bool withStatusCallback) {
  RunRequest request{};
  request.device = deviceCode;
  request.port = port;
  request.status_callback = &HostRecorder::OnStatus;
  TheRunState().StoreRequest(request, withStatusCallback);
  // The timing the registry gives the code, as ScanerRun sets it.
  const DeviceEntry* device = FindDevice(Devices(), deviceCode);
  TheRunState().SetPollTiming(device != nullptr ? device->pollTiming
                                                : PollTiming::kEveryHalfSecond);
  TheRunState().SetCodeCallback(&HostRecorder::OnCode);
  TheRunState().SetRunMode(1);
}

ScriptedDeviceJob::ScriptedDeviceJob() {
  g_sleepingJob = this;
  SetSleepFunction(&ScriptedDeviceJob::RecordSleep);
}

ScriptedDeviceJob::~ScriptedDeviceJob() {
  StopAndWait(10000);
  g_sleepingJob = nullptr;
}

void ScriptedDeviceJob::SetOpenResult(int result, int errorCode, std::string errorText) {
  m_openResult = result;
  m_openErrorCode = errorCode;
  m_openErrorText = std::move(errorText);
}

int ScriptedDeviceJob::OpenDevice(int port, const RunRequest*) {
  m_trace.push_back("open " + std::to_string(port));
  if (m_onOpen) m_onOpen(*this);
  if (m_openResult != 1) SetError(m_openErrorCode, m_openErrorText);
  return m_openResult;
}

int ScriptedDeviceJob::CloseDevice(int port) {
  m_trace.push_back("close " + std::to_string(port));
  return 1;
}

int ScriptedDeviceJob::ReadCode(int, char* text) {
  m_trace.emplace_back("read");
  if (m_nextRead >= m_reads.size()) {
    Break();
    text[0] = '\0';
    return 0;
  }
  const Read& read = m_reads[m_nextRead++];
  if (read.result == kThrows) throw std::bad_alloc();
  std::memset(text, 0, kCodeTextSize);
  std::memcpy(text, read.text.data(), std::min(read.text.size(), kCodeTextSize));
  if (m_nextRead == m_reads.size()) Break();
  return read.result;
}

int ScriptedDeviceJob::ReadCollector(int port, RecordCallback callback) {
  m_trace.push_back("read collector " + std::to_string(port) +
                    (callback != nullptr ? " with callback" : ""));
  return 1;
}

int ScriptedDeviceJob::LoadCollector(int port, void*, int count, int, int) {
  m_trace.push_back("load collector " + std::to_string(port) + " " + std::to_string(count));
  return 0;
}

void ScriptedDeviceJob::RecordSleep(unsigned milliseconds) {
  if (g_sleepingJob != nullptr)
    g_sleepingJob->m_trace.push_back("sleep " + std::to_string(milliseconds));
}

}  // namespace zelvane::testing
