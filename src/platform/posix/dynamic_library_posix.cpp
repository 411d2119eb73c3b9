#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace zelvane::platform {
namespace {

// dlerror() tells only once, so its text is kept for LastLoadError.
thread_local std::string t_loadError;

}  // namespace

LibraryHandle LoadDynamicLibrary(const char* name) {
  if (name == nullptr) {
    t_loadError = "no library named";
    return nullptr;
  }
  LibraryHandle library = dlopen(name, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    const char* reason = dlerror();
    t_loadError = reason != nullptr ? reason : "dlopen failed";
  }
  return library;
}

std::string LastLoadError() {
  return t_loadError;
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
