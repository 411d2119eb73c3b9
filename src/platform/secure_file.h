#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace zelvane::platform {

// A file written in a directory that other users can write to (the temporary
// directory). Creating it never follows a symbolic link or reparse point and never
// takes over a file that is not a plain file of the current user with a single name,
// so a name planted by someone else cannot redirect our output into a victim's file.
class SecureFile {
 public:
  SecureFile() = default;
  ~SecureFile() { Close(); }
  SecureFile(SecureFile&& other) noexcept : m_handle(std::exchange(other.m_handle, kNoFile)) {}
  SecureFile& operator=(SecureFile&& other) noexcept {
    if (this != &other) {
      Close();
      m_handle = std::exchange(other.m_handle, kNoFile);
    }
    return *this;
  }
  SecureFile(const SecureFile&) = delete;
  SecureFile& operator=(const SecureFile&) = delete;

  // Creates the file, or empties an existing one that is safe to reuse, and keeps it
  // open for writing (closing any file held before). False when the name cannot be
  // used safely or the system refuses; an existing file is then left as it was.
  bool Create(const std::string& path);

  // Writes every byte at the end of what was written so far; false when the file is
  // not open or the system wrote fewer bytes.
  bool WriteAll(const void* data, std::size_t size);

  void Close();
  bool IsOpen() const { return m_handle != kNoFile; }

 private:
  // A descriptor on POSIX, a HANDLE on Windows; both systems use -1 for "none".
  using NativeHandle = std::intptr_t;
  static constexpr NativeHandle kNoFile = -1;

  NativeHandle m_handle = kNoFile;
};

}  // namespace zelvane::platform
