#include "pseudo_terminal.h"

namespace zelvane::devsim {

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::string& error) {
  error =
      "Windows has no pseudo-terminals: link two COM ports (a null-modem pair) and play the "
      "device on one of them";
  return nullptr;
}

}  // namespace zelvane::devsim
