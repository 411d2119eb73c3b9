#include <windows.h>

#include "library_loader.h"

namespace zelvane::host {

LibraryHandle OpenLibrary(const std::string& path, std::string& error) {
  HMODULE library = ::LoadLibraryA(path.c_str());
  if (library == nullptr) {
    const DWORD code = ::GetLastError();
    char text[512] = {};
    ::FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                     text, sizeof text, nullptr);
    error = "LoadLibraryA failed with error " + std::to_string(code) + " " + text;
    while (!error.empty() && (error.back() == '\n' || error.back() == '\r')) error.pop_back();
  }
  return static_cast<LibraryHandle>(library);
}

void* FindExport(LibraryHandle library, const char* name) {
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(library), name));
}

std::string LibraryNextToProgram() {
  char program[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string folder(program, length < MAX_PATH ? length : 0);
  const std::size_t separator = folder.find_last_of("\\/");
  folder = separator == std::string::npos ? "." : folder.substr(0, separator);
  return folder + "\\Zelvane.dll";
}

}  // namespace zelvane::host
