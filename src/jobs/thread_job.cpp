#include "jobs/thread_job.h"

namespace zelvane {

int CThreadJob::Start(platform::WindowHandle window, std::uint32_t message) {
  if (m_running.load() == 1) return m_worker.load() != nullptr ? 1 : 0;

  m_window = window;
  m_message = message;
  m_running.store(1);
  m_breakRequest.store(0);
  m_result.store(0);

  int prepared = 0;
  try {
    prepared = Prepare();
  } catch (...) {
    // A device open that throws refuses the start like one that fails.
    prepared = 0;
  }

  bool started = false;
  if (prepared == 1) {
    // The worker is published before it may run, so that the end of a very short
    // run cannot be overwritten by the publication.
    platform::WorkerThread* worker = platform::CreateSuspendedThread(&CThreadJob::ThreadMain, this);
    m_worker.store(worker);
    started = worker != nullptr && platform::ResumeThread(worker);
  }
  if (!started) {
    m_worker.store(nullptr);
    m_running.store(0);
  }
  // Decided here, not from m_worker: a finished run may already have cleared it.
  return started ? 1 : 0;
}

void CThreadJob::Break() {
  m_breakRequest.store(1);
}

int CThreadJob::IsRunning() const {
  return m_running.load();
}

bool CThreadJob::StopAndWait(unsigned milliseconds) {
  Break();
  constexpr unsigned kStep = 10;
  for (unsigned waited = 0; m_running.load() == 1 && waited < milliseconds; waited += kStep) {
    platform::SleepMs(kStep);
  }
  return m_running.load() == 0;
}

unsigned CThreadJob::ThreadMain(void* param) {
  auto* job = static_cast<CThreadJob*>(param);
  int result = 0;
  try {
    result = job->Run();
  } catch (...) {
    // Nothing may escape a thread procedure; a run that throws ends with result 0.
    result = 0;
  }
  job->m_result.store(result);
  job->m_worker.store(nullptr);
  job->m_running.store(0);
  return static_cast<unsigned>(result);
}

}  // namespace zelvane
