#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "platform/secure_file.h"

namespace zelvane::platform {
namespace {

HANDLE AsHandle(std::intptr_t value) {
  return reinterpret_cast<HANDLE>(value);
}

// FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link or junction itself instead of
// its target; OPEN_ALWAYS leaves an existing file's contents alone until it passed
// the checks below.
HANDLE OpenWithoutFollowing(const std::string& path) {
  return ::CreateFileA(path.c_str(), GENERIC_WRITE | READ_CONTROL, FILE_SHARE_READ, nullptr,
                       OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

// A second name of the file (a hard link) could be someone else's way into it.
bool IsPlainFileWithOneName(HANDLE file) {
  if (::GetFileType(file) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!::GetFileInformationByHandle(file, &info)) return false;
  constexpr DWORD kNotPlain =
      FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;
  return (info.dwFileAttributes & kNotPlain) == 0 && info.nNumberOfLinks == 1;
}

// One entry of the process token (TokenUser, TokenOwner), or an empty buffer.
std::vector<BYTE> TokenEntry(HANDLE token, TOKEN_INFORMATION_CLASS entry) {
  DWORD size = 0;
  ::GetTokenInformation(token, entry, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  if (size == 0 || !::GetTokenInformation(token, entry, buffer.data(), size, &size)) buffer.clear();
  return buffer;
}

// The file's owner is the user of this process, or the default owner that the process
// gives its own new files (the Administrators group for an elevated process).
bool IsOwnedByThisProcess(HANDLE file) {
  PSID owner = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (::GetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
                        nullptr, &descriptor) != ERROR_SUCCESS) {
    return false;
  }
  bool ours = false;
  HANDLE token = nullptr;
  if (owner != nullptr && ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) {
    const std::vector<BYTE> user = TokenEntry(token, TokenUser);
    const std::vector<BYTE> defaultOwner = TokenEntry(token, TokenOwner);
    ours = (!user.empty() &&
            ::EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid)) ||
           (!defaultOwner.empty() &&
            ::EqualSid(owner, reinterpret_cast<const TOKEN_OWNER*>(defaultOwner.data())->Owner));
    ::CloseHandle(token);
  }
  ::LocalFree(descriptor);
  return ours;
}

}  // namespace

bool SecureFile::Create(const std::string& path) {
  Close();
  const HANDLE file = OpenWithoutFollowing(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  if (!IsPlainFileWithOneName(file) || !IsOwnedByThisProcess(file) || !::SetEndOfFile(file)) {
    ::CloseHandle(file);
    return false;
  }
  m_handle = reinterpret_cast<std::intptr_t>(file);
  return true;
}

bool SecureFile::WriteAll(const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const auto* next = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!::WriteFile(AsHandle(m_handle), next, chunk, &written, nullptr) || written == 0) {
      return false;
    }
    next += written;
    size -= written;
  }
  return true;
}

void SecureFile::Close() {
  if (!IsOpen()) return;
  ::CloseHandle(AsHandle(m_handle));
  m_handle = kNoFile;
}

}  // namespace zelvane::platform
