#include "simulated_port.h"

#include <utility>

namespace zelvane::devsim {

SimulatedPort::SimulatedPort(std::unique_ptr<PseudoTerminal> terminal, const DeviceScript& script)
    : m_terminal(std::move(terminal)),
      m_simulator(MakeSimulator(script, *m_terminal)),
      m_player([simulator = m_simulator.get(), beatEvery = script.beatEvery](
                   const std::stop_token& stop) { RunSimulator(*simulator, beatEvery, stop); }) {}

SimulatedPort::~SimulatedPort() = default;

SimulatedPortResult SimulatedPort::Start(const DeviceScript& script) {
  std::string error;
  std::unique_ptr<PseudoTerminal> terminal = PseudoTerminal::Open(error);
  if (!terminal) return error;
  return std::unique_ptr<SimulatedPort>(new SimulatedPort(std::move(terminal), script));
}

SimulatedPortResult SimulatedPort::StartDemo(int deviceCode) {
  const std::optional<DeviceScript> script = DemoScript(deviceCode);
  if (!script) return "no simulator for device " + std::to_string(deviceCode);
  return Start(*script);
}

}  // namespace zelvane::devsim
