#include <io.h>
#include <windows.h>

#include <cstdio>

#include <atomic>

#include "console.h"

namespace zelvane::host {
namespace {

// The console control handler runs on a thread of its own.
std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  g_interrupted.store(true);
  return TRUE;
}

}  // namespace

void PrepareConsole() {
  ::SetConsoleOutputCP(CP_UTF8);
  ::SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
}

bool InterruptRequested() {
  return g_interrupted.load();
}

void SleepMilliseconds(unsigned milliseconds) {
  ::Sleep(milliseconds);
}

bool OutputIsTerminal() {
  return ::_isatty(::_fileno(stdout)) != 0;
}

}  // namespace zelvane::host
