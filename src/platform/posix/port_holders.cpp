#include "platform/posix/port_holders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace zelvane::platform::comm {
namespace {

// Reads a folder's entries, closing it on every way out.
class Folder {
 public:
  explicit Folder(const std::string& path) : m_dir(::opendir(path.c_str())) {}
  ~Folder() {
    if (m_dir != nullptr) ::closedir(m_dir);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;

  // The next entry's name, or null at the end (or when the folder could not be read).
  const char* Next() {
    if (m_dir == nullptr) return nullptr;
    const dirent* entry = ::readdir(m_dir);
    return entry != nullptr ? entry->d_name : nullptr;
  }

 private:
  DIR* m_dir;
};

bool IsNumber(const char* name) {
  if (*name == '\0') return false;
  for (const char* c = name; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9') return false;
  }
  return true;
}

bool HasOpen(const std::string& process, dev_t device) {
  const std::string descriptors = "/proc/" + process + "/fd/";
  Folder folder(descriptors);
  while (const char* name = folder.Next()) {
    if (!IsNumber(name)) continue;
    struct stat target {};
    if (::stat((descriptors + name).c_str(), &target) == 0 && S_ISCHR(target.st_mode) &&
        target.st_rdev == device) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool HeldByAnotherProcess(int fd) {
  struct stat port {};
  if (::fstat(fd, &port) != 0 || !S_ISCHR(port.st_mode)) return false;
  const std::string self = std::to_string(::getpid());
  Folder processes("/proc");
  while (const char* name = processes.Next()) {
    if (IsNumber(name) && self != name && HasOpen(name, port.st_rdev)) return true;
  }
  return false;
}

}  // namespace zelvane::platform::comm
