#include <stdlib.h>

#include <variant>

#include "simulated_device.h"
#include "simulated_port.h"

namespace zelvane::host {
namespace {

class PseudoTerminalDevice : public SimulatedDevice {
 public:
  explicit PseudoTerminalDevice(std::unique_ptr<devsim::SimulatedPort> port)
      : m_port(std::move(port)) {}
  const std::string& Path() const override { return m_port->SlavePath(); }

 private:
  std::unique_ptr<devsim::SimulatedPort> m_port;
};

}  // namespace

std::unique_ptr<SimulatedDevice> StartSimulatedDevice(int deviceCode, int port,
                                                      std::string& error) {
  devsim::SimulatedPortResult started = devsim::SimulatedPort::StartDemo(deviceCode);
  if (const std::string* why = std::get_if<std::string>(&started)) {
    error = *why;
    return nullptr;
  }
  auto device = std::make_unique<PseudoTerminalDevice>(
      std::move(std::get<std::unique_ptr<devsim::SimulatedPort>>(started)));
  // The library finds COM port n under this variable on Linux.
  const std::string variable = "ZELVANE_COM" + std::to_string(port);
  if (setenv(variable.c_str(), device->Path().c_str(), 1) != 0) {
    error = "cannot set " + variable;
    return nullptr;
  }
  return device;
}

}  // namespace zelvane::host
