#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace zelvane::devsim {

// The device's end of a byte link to the PC. Simulators see nothing of the transport
// behind it (a pseudo-terminal master, a COM port, memory in a test).
class DeviceLink {
 public:
  virtual ~DeviceLink() = default;

  // Sends bytes to the PC; false when the link did not take all of them.
  virtual bool Write(std::string_view bytes) = 0;

  // Up to `count` bytes the PC sent, waiting at most `timeoutMs` for them. It may
  // return with fewer once some have arrived; it returns empty when none came in time.
  virtual std::string Read(std::size_t count, int timeoutMs) = 0;
};

}  // namespace zelvane::devsim
