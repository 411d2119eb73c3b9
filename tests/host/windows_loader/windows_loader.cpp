// A host as the shop application is one: it finds Zelvane.dll at run time, looks up
// every export by its undecorated name and calls it with the C convention.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "zelvane.h"

namespace {

int g_failures = 0;

void Check(bool condition, const char* what) {
  std::printf("%s %s\n", condition ? "ok  " : "FAIL", what);
  if (!condition) ++g_failures;
}

template <typename Function>
Function Lookup(HMODULE library, const char* name) {
  // FARPROC has no arguments; the export's real type is restored from a neutral one.
  auto* address =
      reinterpret_cast<Function>(reinterpret_cast<void (*)()>(::GetProcAddress(library, name)));
  Check(address != nullptr, name);
  return address;
}

void ZELVANE_CALL IgnoreCode(const char*) {}

int g_notices = 0;
void ZELVANE_CALL CountNotice(int32_t, const char*, int32_t, int32_t) {
  ++g_notices;
}

// A host whose code callback shows a dialog: it holds the worker for a while.
volatile LONG g_inDialog = 0;
void ZELVANE_CALL ShowDialog(const char*) {
  ::InterlockedExchange(&g_inDialog, 1);
  ::Sleep(4500);
}

int EnvironmentNumber(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::atoi(value) : 0;
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD limitMs) {
  for (DWORD waited = 0; !condition(); waited += 50) {
    if (waited >= limitMs) return false;
    ::Sleep(50);
  }
  return true;
}

// The host unloads the library while a job's worker sits in its callback: the module
// must stay until the worker ends (else the worker returns into unmapped code), and go
// once it has.
void UnloadWhileAJobRuns() {
  const int port = EnvironmentNumber("ZELVANE_TEST_PORT");
  const int devicePort = EnvironmentNumber("ZELVANE_TEST_DEVICE_PORT");
  if (port <= 0 || devicePort <= 0) {
    Check(false, "the runner names the COM ports");
    return;
  }
  HMODULE library = ::LoadLibraryA("Zelvane.dll");
  Check(library != nullptr, "LoadLibraryA again");
  if (library == nullptr) return;
  auto create = Lookup<int32_t(ZELVANE_CALL*)(void*)>(library, "ScanerCreate");
  auto run = Lookup<int32_t(ZELVANE_CALL*)(const RunRequest*, CodeCallback)>(library, "ScanerRun");
  auto handler =
      Lookup<void(ZELVANE_CALL*)(ZelvaneMessageHandler)>(library, "ZelvaneSetMessageHandler");
  handler([](const char*) {});
  create(nullptr);
  RunRequest request{};
  request.device = 402;
  request.port = port;
  Check(run(&request, &ShowDialog) == 1, "a scanner runs on the runner's port");

  const std::string deviceName = "COM" + std::to_string(devicePort);
  const HANDLE scanner = ::CreateFileA(deviceName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                       OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  Check(scanner != INVALID_HANDLE_VALUE && ::WriteFile(scanner, "1\r\n", 3, &written, nullptr),
        "the scanner sends a code");
  Check(WaitUntil([] { return g_inDialog != 0; }, 5000), "the host's callback runs");

  Check(::FreeLibrary(library) != FALSE, "FreeLibrary while the worker is in the callback");
  Check(::GetModuleHandleA("Zelvane.dll") != nullptr, "the library stays while its worker runs");
  ::Sleep(5000);
  // Still here: the worker came back from the callback into loaded code.
  const HMODULE stillLoaded = ::GetModuleHandleA("Zelvane.dll");
  Check(stillLoaded != nullptr, "the worker keeps polling after the callback");
  if (stillLoaded != nullptr) {
    Lookup<int32_t(ZELVANE_CALL*)()>(stillLoaded, "ScanerBreakJob")();
  }
  Check(WaitUntil([] { return ::GetModuleHandleA("Zelvane.dll") == nullptr; }, 5000),
        "the library goes once its worker has ended");
  if (scanner != INVALID_HANDLE_VALUE) ::CloseHandle(scanner);
}

}  // namespace

int main() {
  HMODULE library = ::LoadLibraryA("Zelvane.dll");
  Check(library != nullptr, "LoadLibraryA(\"Zelvane.dll\")");
  if (library == nullptr) return 1;

  auto create = Lookup<int32_t(ZELVANE_CALL*)(void*)>(library, "ScanerCreate");
  auto run = Lookup<int32_t(ZELVANE_CALL*)(const RunRequest*, CodeCallback)>(library, "ScanerRun");
  auto breakJob = Lookup<int32_t(ZELVANE_CALL*)()>(library, "ScanerBreakJob");
  auto destroy = Lookup<int32_t(ZELVANE_CALL*)()>(library, "ScanerDelete");
  auto error = Lookup<int32_t(ZELVANE_CALL*)()>(library, "ScanerError");
  auto errorText = Lookup<const char*(ZELVANE_CALL*)()>(library, "ScanerErrMsg");
  auto setBarCode =
      Lookup<int32_t(ZELVANE_CALL*)(HostLineRecord*)>(library, "ScanerSetBarCodeInfo");
  auto run2 = Lookup<int32_t(ZELVANE_CALL*)(int32_t, int32_t)>(library, "Scaner2XRun");
  auto break2 = Lookup<int32_t(ZELVANE_CALL*)(int32_t)>(library, "Scaner2XBreakJob");
  auto setHandler =
      Lookup<void(ZELVANE_CALL*)(ZelvaneMessageHandler)>(library, "ZelvaneSetMessageHandler");
  auto setObserver =
      Lookup<void(ZELVANE_CALL*)(StatusCallback)>(library, "ZelvaneSetStatusObserver");
  if (g_failures != 0) return 1;

  HostLineRecord record{};
  Check(setBarCode(&record) == 0, "ScanerSetBarCodeInfo before ScanerCreate gives 0");
  Check(breakJob() == 0, "ScanerBreakJob before ScanerCreate gives 0");
  Check(create(nullptr) == 1, "ScanerCreate gives 1");
  Check(create(nullptr) == 0, "a second ScanerCreate gives 0");
  setObserver(&CountNotice);

  RunRequest request{};
  request.device = 406;
  request.port = 1;
  Check(run(&request, &IgnoreCode) == 0, "ScanerRun of device 406 gives 0");
  Check(g_notices == 0, "a refused device code sends no notice");
  request.device = 402;
  // The runner names a COM port that leads nowhere.
  const char* missingPort = std::getenv("ZELVANE_TEST_MISSING_PORT");
  request.port = missingPort != nullptr ? std::atoi(missingPort) : 16;
  Check(run(&request, &IgnoreCode) == 0, "ScanerRun of a scanner on a missing port gives 0");
  Check(g_notices == 3, "its notices 1, 8 and 8 reach the status observer");
  setObserver(nullptr);
  Check(breakJob() == 0, "ScanerBreakJob gives 0");
  // ForwardToOndrell is on in the shipped build: Ondrell answers the queries.
  Check(error() == 0, "ScanerError is Ondrell's 0");
  Check(errorText() != nullptr && std::strcmp(errorText(), "") == 0, "ScanerErrMsg is Ondrell's");
  Check(run2(1, 2) == 0, "Scaner2XRun gives Ondrell's 0");
  Check(error() == 999999, "Ondrell keeps the error of its refused run");
  Check(break2(1) == 0, "Scaner2XBreakJob gives Ondrell's 0");
  setHandler(nullptr);
  Check(destroy() == 1, "ScanerDelete gives 1");
  Check(create(nullptr) == 1, "ScanerCreate after ScanerDelete gives 1");
  Check(destroy() == 1, "ScanerDelete gives 1 again");

  Check(::FreeLibrary(library) != FALSE, "FreeLibrary");
  UnloadWhileAJobRuns();
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
