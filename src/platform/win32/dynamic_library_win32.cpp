#include <windows.h>

#include "platform/dynamic_library.h"

namespace zelvane::platform {

LibraryHandle LoadDynamicLibrary(const char* name) {
  return name != nullptr ? static_cast<LibraryHandle>(::LoadLibraryA(name)) : nullptr;
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
