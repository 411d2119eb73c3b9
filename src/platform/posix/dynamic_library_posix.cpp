#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace zelvane::platform {

LibraryHandle LoadDynamicLibrary(const char* name) {
  return name != nullptr ? dlopen(name, RTLD_NOW | RTLD_LOCAL) : nullptr;
}

void* FindSymbol(LibraryHandle library, const char* name) {
  return (library != nullptr && name != nullptr) ? dlsym(library, name) : nullptr;
}

}  // namespace zelvane::platform
