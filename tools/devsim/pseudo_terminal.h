#pragma once

#include <memory>
#include <string>

#include "device_link.h"

namespace zelvane::devsim {

// A pseudo-terminal pair whose master is the device's end of the link; the PC opens
// the slave by its path. Only the PC holds the slave open, as a real port would be
// held (the library refuses a port that another program has open), and the pair lives
// on while the PC closes and reopens it: bytes sent meanwhile wait for its next open.
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
