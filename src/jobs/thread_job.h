#pragma once

#include <atomic>
#include <cstdint>

#include "platform/threads.h"
#include "platform/window_message.h"

namespace zelvane {

// A long-lived object that runs one piece of work at a time on its own worker thread.
// Start comes from the host's thread; the work (Run) polls the break request and
// leaves a result. The flags are shared between the host's thread and the worker.
class CThreadJob {
 public:
  CThreadJob() = default;
  CThreadJob(const CThreadJob&) = delete;
  CThreadJob& operator=(const CThreadJob&) = delete;
  virtual ~CThreadJob() = default;

  // Records the window and message, then lets Prepare decide on the starting thread;
  // only when it returns exactly 1 does a worker run Run. Returns 1 when a worker
  // runs. On a job that is already running nothing changes: 1 while its worker
  // exists, 0 while it is still being prepared.
  virtual int Start(platform::WindowHandle window, std::uint32_t message);

  // Asks the work to stop at its next check; does not wait.
  virtual void Break();

  virtual int IsRunning() const;

  // Value that Run returned on the last completed run (0 from each Start until then).
  int Result() const { return m_result.load(); }
  int IsBreakRequested() const { return m_breakRequest.load(); }
  platform::WindowHandle Window() const { return m_window; }
  std::uint32_t Message() const { return m_message; }

  // Breaks the job and waits (sleeping) up to `milliseconds` for its run to end.
  // Returns whether it is idle. For shutdown: the work must be over before the
  // objects it uses are destroyed.
  bool StopAndWait(unsigned milliseconds);

 protected:
  // The work, on the worker thread; its value becomes the result.
  virtual int Run() = 0;
  // On the starting thread before any thread exists; 1 lets the worker start.
  virtual int Prepare() = 0;

 private:
  static unsigned ThreadMain(void* param);

  std::atomic<platform::WorkerThread*> m_worker{nullptr};
  platform::WindowHandle m_window = nullptr;
  std::uint32_t m_message = 0;
  std::atomic<int> m_result{0};
  std::atomic<int> m_breakRequest{0};
  std::atomic<int> m_running{0};
};

}  // namespace zelvane
