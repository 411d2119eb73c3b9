#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/secure_file.h"

namespace zelvane::platform {
namespace {

// Only a plain file of ours that no other name points at may be emptied: a hard link
// planted by someone else would otherwise let us truncate the linked file.
bool IsSafeToReuse(int fd) {
  struct stat status {};
  if (::fstat(fd, &status) != 0) return false;
  return S_ISREG(status.st_mode) && status.st_uid == ::geteuid() && status.st_nlink == 1;
}

// O_NONBLOCK keeps a planted FIFO from blocking the open; it is cleared again once
// the descriptor is known to be a plain file.
int OpenWithoutFollowing(const std::string& path) {
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK, 0600);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool PrepareForWriting(int fd) {
  const int flags = ::fcntl(fd, F_GETFL);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == 0 && ::fchmod(fd, 0600) == 0 &&
         ::ftruncate(fd, 0) == 0;
}

}  // namespace

bool SecureFile::Create(const std::string& path) {
  Close();
  const int fd = OpenWithoutFollowing(path);
  if (fd < 0) return false;
  if (!IsSafeToReuse(fd) || !PrepareForWriting(fd)) {
    ::close(fd);
    return false;
  }
  m_handle = fd;
  return true;
}

bool SecureFile::WriteAll(const void* data, std::size_t size) {
  if (!IsOpen()) return false;
  const auto* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t written = ::write(static_cast<int>(m_handle), next, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    next += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

void SecureFile::Close() {
  if (!IsOpen()) return;
  ::close(static_cast<int>(m_handle));
  m_handle = kNoFile;
}

}  // namespace zelvane::platform
