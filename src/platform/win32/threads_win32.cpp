#include <windows.h>

#include <new>
#include <utility>

#include "platform/threads.h"

namespace zelvane::platform {

class WorkerThread {
 public:
  WorkerThread(ThreadProc proc, void* param) : m_proc(proc), m_param(param) {}

  // Created suspended so that the creator can publish the pointer before the
  // procedure runs; the thread closes its own handle and releases the object.
  //
  // The thread holds a reference to the module its code is in until it ends: a host
  // that unloads the library while a job runs (its callback showing a dialog, say)
  // only drops its own reference, and the module goes when the thread is done.
  bool Create() {
    ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                         reinterpret_cast<LPCSTR>(&kInThisModule), &m_module);
    m_handle = ::CreateThread(nullptr, 0, &WorkerThread::Main, this, CREATE_SUSPENDED, nullptr);
    return m_handle != nullptr;
  }

  bool Resume() { return ::ResumeThread(m_handle) != static_cast<DWORD>(-1); }

  ~WorkerThread() {
    if (m_handle != nullptr) ::CloseHandle(m_handle);
    if (m_module != nullptr) ::FreeLibrary(m_module);
  }

 private:
  static DWORD WINAPI Main(LPVOID self) {
    auto* worker = static_cast<WorkerThread*>(self);
    const unsigned exitCode = worker->m_proc(worker->m_param);
    const HMODULE module = std::exchange(worker->m_module, nullptr);
    delete worker;
    // The last reference may be ours: the module must not go while this code runs.
    if (module != nullptr) ::FreeLibraryAndExitThread(module, exitCode);
    return exitCode;
  }

  static constexpr char kInThisModule = 0;

  ThreadProc m_proc;
  void* m_param;
  HANDLE m_handle = nullptr;
  HMODULE m_module = nullptr;
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
