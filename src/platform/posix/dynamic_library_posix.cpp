#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace zelvane::platform {

LibraryHandle LoadDynamicLibrary(const char* name) {
  return name != nullptr ? dlopen(name, RTLD_NOW | RTLD_LOCAL) : nullptr;
}

void* FindSymbol(LibraryHandle library, const char* name) {
  return (library != nullptr && name != nullptr) ? dlsym(library, name) : nullptr;
}

std::string ThisModuleFolder() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ThisModuleFolder), &info) == 0 || info.dli_fname == nullptr) {
    return {};
  }
  const std::string path = info.dli_fname;
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string SharedLibraryFileName(const char* stem) {
  return std::string("lib") + stem + ".so";
}

}  // namespace zelvane::platform
