#include "platform/posix/uucp_lock.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace zelvane::platform::comm {
namespace {

std::string LockFolder() {
  const char* folder = std::getenv("ZELVANE_LOCK_DIR");
  return folder != nullptr && *folder != '\0' ? folder : "/var/lock";
}

// "LCK..ttyS0" for /dev/ttyS0, "LCK..pts_3" for /dev/pts/3.
std::string LockName(const std::string& devicePath) {
  char resolved[PATH_MAX];
  std::string_view device = ::realpath(devicePath.c_str(), resolved) != nullptr
                                ? std::string_view(resolved)
                                : std::string_view(devicePath);
  if (device.starts_with("/dev/")) device.remove_prefix(5);
  std::string name = "LCK.." + std::string(device);
  for (std::size_t i = 5; i < name.size(); ++i) {
    if (name[i] == '/') name[i] = '_';
  }
  return name;
}

// The pid in a lock file; 0 when it holds none.
pid_t OwnerOf(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[32] = {};
  const ssize_t length = ::read(fd, text, sizeof(text) - 1);
  ::close(fd);
  if (length <= 0) return 0;
  const long pid = std::strtol(text, nullptr, 10);
  return pid > 0 && pid <= INT_MAX ? static_cast<pid_t>(pid) : 0;
}

bool IsAlive(pid_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

// Writes our pid under a name of our own, then links it to the lock name, which
// fails when the lock exists: no other program can see a half-written lock.
bool CreateLock(const std::string& folder, const std::string& path, int& error) {
  const std::string temporary = folder + "/LTMP." + std::to_string(::getpid());
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = errno;
    return false;
  }
  char text[16];
  const int length = std::snprintf(text, sizeof(text), "%10d\n", static_cast<int>(::getpid()));
  const bool written = ::write(fd, text, static_cast<std::size_t>(length)) == length;
  ::close(fd);
  const bool linked = written && ::link(temporary.c_str(), path.c_str()) == 0;
  error = written ? errno : EIO;
  ::unlink(temporary.c_str());
  return linked;
}

}  // namespace

UucpLock::Outcome UucpLock::Take(const std::string& devicePath) {
  Release();
  const std::string folder = LockFolder();
  const std::string path = folder + "/" + LockName(devicePath);
  // A second try after a stale lock was removed.
  for (int attempt = 0; attempt < 2; ++attempt) {
    int error = 0;
    if (CreateLock(folder, path, error)) {
      m_path = path;
      return Outcome::kTaken;
    }
    if (error != EEXIST) {
      const pid_t owner = OwnerOf(path);
      return owner != 0 && owner != ::getpid() && IsAlive(owner) ? Outcome::kHeldByOther
                                                                 : Outcome::kUnavailable;
    }
    const pid_t owner = OwnerOf(path);
    if (owner != 0 && owner != ::getpid() && IsAlive(owner)) return Outcome::kHeldByOther;
    // Stale, or left behind by this process: whoever opens through us holds the
    // device's other locks too, so taking it over is safe.
    ::unlink(path.c_str());
  }
  return Outcome::kHeldByOther;
}

void UucpLock::Release() {
  if (m_path.empty()) return;
  if (OwnerOf(m_path) == ::getpid()) ::unlink(m_path.c_str());
  m_path.clear();
}

}  // namespace zelvane::platform::comm
