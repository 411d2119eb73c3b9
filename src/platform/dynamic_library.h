#pragma once

namespace zelvane::platform {

using LibraryHandle = void*;

// Loads a library by file name (LoadLibraryA, dlopen); null on failure.
LibraryHandle LoadDynamicLibrary(const char* name);

// Looks an exported function up (GetProcAddress, dlsym); null when absent.
void* FindSymbol(LibraryHandle library, const char* name);

}  // namespace zelvane::platform
