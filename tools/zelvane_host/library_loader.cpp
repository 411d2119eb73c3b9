// Loading goes through the library's own platform layer, linked in with the static
// core; what is loaded is the shared library, as a shop application loads it.
#include "library_loader.h"

namespace zelvane::host {

LibraryHandle OpenLibrary(const std::string& path, std::string& error) {
  const LibraryHandle library = platform::LoadDynamicLibrary(path.c_str());
  if (library == nullptr) error = platform::LastLoadError();
  return library;
}

void* FindExport(LibraryHandle library, const char* name) {
  return platform::FindSymbol(library, name);
}

}  // namespace zelvane::host
