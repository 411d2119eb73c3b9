#include <cstdlib>

#include "platform/temp_directory.h"

namespace zelvane::platform {

std::optional<std::string> TempDirectory() {
  const char* fromEnvironment = std::getenv("TMPDIR");
  std::string directory =
      (fromEnvironment != nullptr && *fromEnvironment != '\0') ? fromEnvironment : "/tmp";
  if (directory.back() != '/') directory += '/';
  return directory;
}

char PathSeparator() {
  return '/';
}

}  // namespace zelvane::platform
