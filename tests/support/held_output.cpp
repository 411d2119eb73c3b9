#include "support/held_output.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#endif

namespace zelvane::testing {

#if !defined(_WIN32)

bool HeldOutput::Available() {
  return true;
}

// The port's pseudo-terminal is the one PtyDevice named in ZELVANE_COM<port>; output
// suspended on any descriptor of it is suspended for the library's too.
HeldOutput::HeldOutput(int port) {
  const char* path = std::getenv(("ZELVANE_COM" + std::to_string(port)).c_str());
  if (path == nullptr) return;
  m_fd = ::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd >= 0 && ::tcflow(m_fd, TCOOFF) != 0) Release();
}

void HeldOutput::Release() {
  if (m_fd < 0) return;
  ::tcflow(m_fd, TCOON);
  ::close(m_fd);
  m_fd = -1;
}

#else

bool HeldOutput::Available() {
  return false;
}

HeldOutput::HeldOutput(int) {}

void HeldOutput::Release() {}

#endif

HeldOutput::~HeldOutput() {
  Release();
}

}  // namespace zelvane::testing
