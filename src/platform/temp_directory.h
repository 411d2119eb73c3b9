#pragma once

#include <optional>
#include <string>

namespace zelvane::platform {

// The user's temporary directory, ending with the path separator, or nothing when
// the system has none. Windows: GetTempPathA. POSIX: $TMPDIR, else /tmp.
std::optional<std::string> TempDirectory();

// The path separator that TempDirectory ends with.
char PathSeparator();

}  // namespace zelvane::platform
