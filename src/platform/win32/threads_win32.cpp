#include <windows.h>

#include <new>

#include "platform/threads.h"

namespace zelvane::platform {

class WorkerThread {
 public:
  WorkerThread(ThreadProc proc, void* param) : m_proc(proc), m_param(param) {}

  // Created suspended so that the creator can publish the pointer before the
  // procedure runs; the thread closes its own handle and releases the object.
  bool Create() {
    m_handle = ::CreateThread(nullptr, 0, &WorkerThread::Main, this, CREATE_SUSPENDED, nullptr);
    return m_handle != nullptr;
  }

  bool Resume() { return ::ResumeThread(m_handle) != static_cast<DWORD>(-1); }

  ~WorkerThread() {
    if (m_handle != nullptr) ::CloseHandle(m_handle);
  }

 private:
  static DWORD WINAPI Main(LPVOID self) {
    auto* worker = static_cast<WorkerThread*>(self);
    const unsigned exitCode = worker->m_proc(worker->m_param);
    delete worker;
    return exitCode;
  }

  ThreadProc m_proc;
  void* m_param;
  HANDLE m_handle = nullptr;
};

WorkerThread* CreateSuspendedThread(ThreadProc proc, void* param) {
  auto* worker = new (std::nothrow) WorkerThread(proc, param);
  if (worker != nullptr && !worker->Create()) {
    delete worker;
    return nullptr;
  }
  return worker;
}

bool ResumeThread(WorkerThread* worker) {
  if (worker == nullptr) return false;
  if (worker->Resume()) return true;
  // The thread never ran, so it cannot release itself.
  delete worker;
  return false;
}

void SleepMs(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

void YieldThread() {
  ::SwitchToThread();
}

}  // namespace zelvane::platform
