#include "simulated_device.h"

namespace zelvane::host {

// Windows programs cannot make pseudo-terminals; a simulated port there needs a pair
// linked from outside (see scripts/run_wine_serial_tests.sh).
std::unique_ptr<SimulatedDevice> StartSimulatedDevice(int, int, std::string& error) {
  error = "simulated devices need a pseudo-terminal, which only the Linux build can make";
  return nullptr;
}

}  // namespace zelvane::host
