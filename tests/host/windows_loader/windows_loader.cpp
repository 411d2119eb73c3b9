// A host as the shop application is one: it finds Zelvane.dll at run time, looks up
// every export by its undecorated name and calls it with the C convention.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

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

  Check(setBarCode(nullptr) == 0, "ScanerSetBarCodeInfo before ScanerCreate gives 0");
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
  std::printf("%d failed\n", g_failures);
  return g_failures == 0 ? 0 : 1;
}
