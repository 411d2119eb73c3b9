#pragma once

#include <string>

namespace zelvane::devsim {

// The two ends of a new pseudo-terminal in raw mode, the master not blocking: what the
// simulators and the tests' devices play a device on while the library opens the
// slave by its path.
struct RawPseudoTerminal {
  int master = -1;
  int slave = -1;
  std::string slavePath;
};

// False, with `error` set, when the system makes none.
bool MakeRawPseudoTerminal(RawPseudoTerminal& pair, std::string& error);

}  // namespace zelvane::devsim
