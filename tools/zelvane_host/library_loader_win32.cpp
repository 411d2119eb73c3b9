#include <windows.h>

#include "library_loader.h"

namespace zelvane::host {

std::string LibraryNextToProgram() {
  char program[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, program, MAX_PATH);
  std::string folder(program, length < MAX_PATH ? length : 0);
  const std::size_t separator = folder.find_last_of("\\/");
  folder = separator == std::string::npos ? "." : folder.substr(0, separator);
  return folder + "\\Zelvane.dll";
}

}  // namespace zelvane::host
