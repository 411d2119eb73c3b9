#pragma once

#include <string>

namespace zelvane::platform {

using LibraryHandle = void*;

// Loads a library by file name (LoadLibraryA, dlopen); null on failure.
LibraryHandle LoadDynamicLibrary(const char* name);
// Why the last LoadDynamicLibrary of this thread failed, in the system's words.
std::string LastLoadError();

// Looks an exported function up (GetProcAddress, dlsym); null when absent.
void* FindSymbol(LibraryHandle library, const char* name);

// The folder of the module that holds this code (the Zelvane library, or the program
// it is linked into), with its trailing separator; empty when it cannot be told.
std::string ThisModuleFolder();

// The file name of a shared library called `stem`: libstem.so, or stem.dll on Windows.
std::string SharedLibraryFileName(const char* stem);

}  // namespace zelvane::platform
