#include <fcntl.h>
#include <pty.h>
#include <termios.h>

#include <cerrno>
#include <cstring>

#include "raw_pseudo_terminal.h"

namespace zelvane::devsim {

bool MakeRawPseudoTerminal(RawPseudoTerminal& pair, std::string& error) {
  char name[256] = {};
  termios raw{};
  cfmakeraw(&raw);
  if (openpty(&pair.master, &pair.slave, name, &raw, nullptr) != 0) {
    error = std::string("openpty: ") + std::strerror(errno);
    return false;
  }
  fcntl(pair.master, F_SETFL, fcntl(pair.master, F_GETFL) | O_NONBLOCK);
  pair.slavePath = name;
  return true;
}

}  // namespace zelvane::devsim
