#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>
#include <new>

#include "platform/threads.h"

namespace zelvane::platform {

class WorkerThread {
 public:
  WorkerThread(ThreadProc proc, void* param) : m_proc(proc), m_param(param) {}

  // A suspended worker is only a description; the thread is created by Resume, so the
  // procedure cannot start before the creator has published the pointer.
  bool Resume() {
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0) return false;
    pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    const int created = pthread_create(&thread, &attributes, &WorkerThread::Main, this);
    pthread_attr_destroy(&attributes);
    return created == 0;
  }

 private:
  static void* Main(void* self) {
    auto* worker = static_cast<WorkerThread*>(self);
    const ThreadProc proc = worker->m_proc;
    void* const param = worker->m_param;
    delete worker;
    proc(param);
    return nullptr;
  }

  ThreadProc m_proc;
  void* m_param;
};

WorkerThread* CreateSuspendedThread(ThreadProc proc, void* param) {
  return new (std::nothrow) WorkerThread(proc, param);
}

bool ResumeThread(WorkerThread* worker) {
  if (worker == nullptr) return false;
  if (worker->Resume()) return true;
  delete worker;
  return false;
}

void SleepMs(unsigned milliseconds) {
  timespec remaining{static_cast<time_t>(milliseconds / 1000),
                     static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}

void YieldThread() {
  sched_yield();
}

}  // namespace zelvane::platform
