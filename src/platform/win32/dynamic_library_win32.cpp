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

}  // namespace zelvane::platform
