#include <limits.h>
#include <unistd.h>

#include "library_loader.h"

namespace zelvane::host {

std::string LibraryNextToProgram() {
  char program[PATH_MAX] = {};
  const ssize_t length = ::readlink("/proc/self/exe", program, sizeof program - 1);
  std::string folder = length > 0 ? std::string(program, static_cast<std::size_t>(length)) : "";
  const std::size_t slash = folder.rfind('/');
  folder = slash == std::string::npos ? "." : folder.substr(0, slash);
  const std::string beside = folder + "/libzelvane.so";
  // Installed, the program is in a folder of programs: the system's loader finds the
  // library by its name there.
  return ::access(beside.c_str(), F_OK) == 0 ? beside : "libzelvane.so.0";
}

}  // namespace zelvane::host
