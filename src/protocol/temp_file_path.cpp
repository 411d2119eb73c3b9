#include "protocol/temp_file_path.h"

#include "platform/temp_directory.h"

namespace zelvane {

std::optional<std::string> TempFilePath(const std::string& name) {
  std::optional<std::string> directory = platform::TempDirectory();
  if (!directory) return std::nullopt;
  return *directory + platform::PathSeparator() + name;
}

}  // namespace zelvane
