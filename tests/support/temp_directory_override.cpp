#include "support/temp_directory_override.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>

#include "buffers/chr_arr.h"

namespace zelvane::testing {
namespace {

#ifdef _WIN32
// GetTempPathA reads TMP first, then TEMP.
const std::vector<std::string> kTempVariables = {"TMP", "TEMP"};

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  ::SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}
#else
const std::vector<std::string> kTempVariables = {"TMPDIR"};

void SetVariable(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    ::setenv(name.c_str(), value->c_str(), 1);
  } else {
    ::unsetenv(name.c_str());
  }
}
#endif

std::optional<std::string> GetVariable(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

std::filesystem::path NewEmptyDirectory() {
  std::random_device random;
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  for (;;) {
    std::filesystem::path candidate = base / ("zelvane-test-" + std::to_string(random()));
    if (std::filesystem::create_directory(candidate)) return candidate;
  }
}

}  // namespace

TempDirectoryOverride::TempDirectoryOverride() : m_directory(NewEmptyDirectory()) {
  for (const std::string& name : kTempVariables)
    m_savedVariables.emplace_back(name, GetVariable(name));
  PointAtDirectory();
}

TempDirectoryOverride::~TempDirectoryOverride() {
  for (const auto& [name, value] : m_savedVariables) SetVariable(name, value);
  std::error_code ignored;
  std::filesystem::remove_all(m_directory, ignored);
}

void TempDirectoryOverride::PointAtMissingDirectory() {
  for (const std::string& name : kTempVariables) {
    SetVariable(name, (m_directory / "missing").string());
  }
}

void TempDirectoryOverride::PointAtDirectory() {
  for (const std::string& name : kTempVariables) SetVariable(name, m_directory.string());
}

std::optional<std::string> TempDirectoryOverride::Read(const std::string& name) const {
  std::ifstream file(PathOf(name), std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void TempDirectoryOverride::Write(const std::string& name, const std::string& contents) const {
  std::ofstream(PathOf(name), std::ios::binary) << contents;
}

std::vector<std::string> TempDirectoryOverride::Names() const {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(m_directory)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void TempDirectoryOverride::RemoveAll() const {
  for (const auto& entry : std::filesystem::directory_iterator(m_directory)) {
    std::filesystem::remove_all(entry.path());
  }
}

void RewindDumpRing(DumpKind kind, const TempDirectoryOverride& temp) {
  for (int attempt = 0; attempt < 10 && !temp.Read(DumpName(kind, 9)); ++attempt) {
    WriteDump(kind, "rewind");
  }
  ASSERT_TRUE(temp.Read(DumpName(kind, 9))) << "dumps of this kind are not written at all";
  temp.RemoveAll();
}

std::string DumpName(DumpKind kind, int number) {
  return std::string("QX") + static_cast<char>(kind) + "_" + std::to_string(number) + ".dat";
}

}  // namespace zelvane::testing
