#include <windows.h>

#include <atomic>

#include "platform/process_end.h"

namespace zelvane::platform {
namespace {

std::atomic<bool> g_processEnding{false};

}  // namespace

bool ProcessIsEnding() {
  return g_processEnding.load();
}

}  // namespace zelvane::platform

// The C run time calls this before it runs the destructors of the library's objects.
// At DLL_PROCESS_DETACH a non-null `reserved` means that the process ends (a
// FreeLibrary gives null).
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && reserved != nullptr) {
    zelvane::platform::g_processEnding.store(true);
  }
  return TRUE;
}
