#include <windows.h>

#include "platform/temp_directory.h"

namespace zelvane::platform {

std::optional<std::string> TempDirectory() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(MAX_PATH, path);
  if (length == 0 || length > MAX_PATH) return std::nullopt;
  return std::string(path, length);
}

char PathSeparator() {
  return '\\';
}

}  // namespace zelvane::platform
