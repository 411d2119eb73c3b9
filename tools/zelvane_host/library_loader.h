#pragma once

#include <string>

#include "platform/dynamic_library.h"

namespace zelvane::host {

using platform::LibraryHandle;

// Loads a shared library at run time as a host application does (dlopen,
// LoadLibraryA). Null on failure, with the system's reason in `error`.
LibraryHandle OpenLibrary(const std::string& path, std::string& error);

// An exported function of the library (dlsym, GetProcAddress), or null.
void* FindExport(LibraryHandle library, const char* name);

// The Zelvane library in the folder of this program: libzelvane.so or Zelvane.dll;
// on Linux, when there is none, libzelvane.so.0 for the system's loader to find.
std::string LibraryNextToProgram();

}  // namespace zelvane::host
