#pragma once

#include <optional>
#include <string>

namespace zelvane {

// Where a log file of the given name lives: the temporary directory exactly as the
// system reports it (with its trailing separator), then one more separator, then the
// name. The doubled separator keeps the paths the device logs have always had.
// Nothing when the system has no temporary directory.
std::optional<std::string> TempFilePath(const std::string& name);

}  // namespace zelvane
