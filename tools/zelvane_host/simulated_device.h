#pragma once

#include <memory>
#include <string>

namespace zelvane::host {

// A demo device played on a pseudo-terminal for as long as the object lives.
class SimulatedDevice {
 public:
  virtual ~SimulatedDevice() = default;
  // The terminal that the library opens as its COM port.
  virtual const std::string& Path() const = 0;
};

// Starts the demo device of a device code and maps COM port `port` to it for this
// process (ZELVANE_COM<port>); null, with the reason in `error`, when there is none.
std::unique_ptr<SimulatedDevice> StartSimulatedDevice(int deviceCode, int port, std::string& error);

}  // namespace zelvane::host
