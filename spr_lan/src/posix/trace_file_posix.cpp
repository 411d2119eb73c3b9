#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <ctime>

#include "trace_file.h"

namespace spr_lan::files {
namespace {

std::string TemporaryFolder() {
  const char* folder = std::getenv("TMPDIR");
  return std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/";
}

}  // namespace

bool TraceFile::CreateInTemporaryFolder(const std::string& name) {
  Close();
  const std::string path = TemporaryFolder() + name;
  int fd = -1;
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return false;
  m_handle = fd;
  return true;
}

bool TraceFile::Append(std::string_view text) {
  while (IsOpen() && !text.empty()) {
    const ssize_t written = ::write(static_cast<int>(m_handle), text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return IsOpen();
}

void TraceFile::Close() {
  if (!IsOpen()) return;
  ::close(static_cast<int>(m_handle));
  m_handle = kNoFile;
}

std::string LocalTimeText(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (::localtime_r(&now, &local) == nullptr) return {};
  char text[64] = {};
  return std::string(text, std::strftime(text, sizeof text, format, &local));
}

unsigned long ProcessNumber() {
  return static_cast<unsigned long>(::getpid());
}

}  // namespace spr_lan::files
