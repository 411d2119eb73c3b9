#include <windows.h>

#include <ctime>

#include "trace_file.h"

namespace spr_lan::files {
namespace {

HANDLE AsHandle(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

std::string TemporaryFolder() {
  char folder[MAX_PATH + 1] = {};
  const DWORD length = ::GetTempPathA(sizeof folder, folder);
  return (length > 0 && length < sizeof folder) ? std::string(folder, length) : std::string();
}

}  // namespace

bool TraceFile::CreateInTemporaryFolder(const std::string& name) {
  Close();
  const std::string folder = TemporaryFolder();
  if (folder.empty()) return false;
  // CREATE_NEW fails on any name that exists, a link or junction included; the flag
  // keeps a link planted between the check and the creation from being followed.
  const HANDLE file =
      ::CreateFileA((folder + name).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, CREATE_NEW,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  m_handle = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool TraceFile::Append(std::string_view text) {
  while (IsOpen() && !text.empty()) {
    DWORD written = 0;
    if (!::WriteFile(AsHandle(m_handle), text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) ||
        written == 0) {
      return false;
    }
    text.remove_prefix(written);
  }
  return IsOpen();
}

void TraceFile::Close() {
  if (!IsOpen()) return;
  ::CloseHandle(AsHandle(m_handle));
  m_handle = kNoFile;
}

std::string LocalTimeText(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_s(&local, &now) != 0) return {};
  char text[64] = {};
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

unsigned long ProcessNumber() {
  return ::GetCurrentProcessId();
}

}  // namespace spr_lan::files
