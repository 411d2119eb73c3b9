#pragma once

#include <memory>
#include <string>

#include "device_link.h"

namespace zelvane::devsim {

// A pseudo-terminal pair whose master is the device's end of the link; the PC opens
// the slave by its path. The slave stays open here too, so the pair lives on while
// the PC closes and reopens its port.
class PseudoTerminal : public DeviceLink {
 public:
  // A new pair in raw mode; null with `error` set when none can be made (always on
  // Windows, which has no pseudo-terminals).
  static std::unique_ptr<PseudoTerminal> Open(std::string& error);

  virtual const std::string& SlavePath() const = 0;
  // Closes the pair for good, as a device that is switched off or pulled out: the
  // PC's port sees its line hang up.
  virtual void Vanish() = 0;
};

}  // namespace zelvane::devsim
