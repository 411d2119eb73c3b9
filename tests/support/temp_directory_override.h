#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "protocol/dump_files.h"

namespace zelvane::testing {

// Points this process's temporary directory (TMPDIR on POSIX, TMP and TEMP on
// Windows) at a new empty directory, and restores the environment and removes the
// directory at the end.
class TempDirectoryOverride {
 public:
  TempDirectoryOverride();
  ~TempDirectoryOverride();
  TempDirectoryOverride(const TempDirectoryOverride&) = delete;
  TempDirectoryOverride& operator=(const TempDirectoryOverride&) = delete;

  const std::filesystem::path& Directory() const { return m_directory; }
  std::filesystem::path PathOf(const std::string& name) const { return m_directory / name; }

  // Makes the system report a temporary directory that does not exist, until
  // PointAtDirectory.
  void PointAtMissingDirectory();
  void PointAtDirectory();

  // Contents of a file in the directory; nothing when it cannot be read.
  std::optional<std::string> Read(const std::string& name) const;
  void Write(const std::string& name, const std::string& contents) const;
  // Names of the directory's entries, sorted.
  std::vector<std::string> Names() const;
  void RemoveAll() const;

 private:
  std::filesystem::path m_directory;
  std::vector<std::pair<std::string, std::optional<std::string>>> m_savedVariables;
};

// The dump counters live as long as the library, so earlier tests leave them anywhere:
// writes dumps of the kind until the next one goes to file 0, then empties the
// directory.
void RewindDumpRing(DumpKind kind, const TempDirectoryOverride& temp);

std::string DumpName(DumpKind kind, int number);

}  // namespace zelvane::testing
