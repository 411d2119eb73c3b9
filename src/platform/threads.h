#pragma once

namespace zelvane::platform {

using ThreadProc = unsigned (*)(void* param);

// A worker thread that owns itself: once its procedure returns, the object is
// released by the thread, so nobody ever joins or deletes it.
class WorkerThread;

// Makes a worker for proc(param) with normal priority and the default stack. The
// procedure does not run before ResumeThread, so the caller can publish the pointer
// first. Returns null when no thread can be made.
WorkerThread* CreateSuspendedThread(ThreadProc proc, void* param);

// Lets the worker run. On failure the worker is released and false is returned;
// the pointer must not be used afterwards in either case, except to compare it.
bool ResumeThread(WorkerThread* worker);

void SleepMs(unsigned milliseconds);

// Gives up the rest of the time slice without sleeping.
void YieldThread();

}  // namespace zelvane::platform
