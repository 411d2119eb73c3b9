#include <windows.h>

#include "platform/dynamic_library.h"

namespace zelvane::platform {

namespace {

// The system error of the last failed load of this thread, kept for LastLoadError.
thread_local DWORD t_loadError = ERROR_SUCCESS;

}  // namespace

LibraryHandle LoadDynamicLibrary(const char* name) {
  const HMODULE library = name != nullptr ? ::LoadLibraryA(name) : nullptr;
  if (library == nullptr)
    t_loadError = name != nullptr ? ::GetLastError() : ERROR_INVALID_PARAMETER;
  return static_cast<LibraryHandle>(library);
}

std::string LastLoadError() {
  char text[512] = {};
  ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, t_loadError,
                   0, text, sizeof text, nullptr);
  std::string error = "LoadLibraryA failed with error " + std::to_string(t_loadError) + " " + text;
  while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
  return error;
}

void* FindSymbol(LibraryHandle library, const char* name) {
  if (library == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string ThisModuleFolder() {
  HMODULE module = nullptr;
  const DWORD flags =
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  if (!::GetModuleHandleExA(flags, reinterpret_cast<LPCSTR>(&ThisModuleFolder), &module)) return {};
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetModuleFileNameA(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const std::string whole(path, length);
  const std::size_t separator = whole.find_last_of("\\/");
  return separator == std::string::npos ? std::string() : whole.substr(0, separator + 1);
}

std::string SharedLibraryFileName(const char* stem) {
  return std::string(stem) + ".dll";
}

}  // namespace zelvane::platform
