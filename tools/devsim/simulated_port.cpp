#include "simulated_port.h"

#include <utility>

namespace zelvane::devsim {

namespace {

std::unique_ptr<FaultyLink> MakeFaultyLink(const std::optional<LineFault>& fault,
                                           PseudoTerminal& terminal) {
  if (!fault) return nullptr;
  return std::make_unique<FaultyLink>(terminal, *fault, [&terminal] { terminal.Vanish(); });
}

}  // namespace

SimulatedPort::SimulatedPort(std::unique_ptr<PseudoTerminal> terminal, const DeviceScript& script,
                             const std::optional<LineFault>& fault)
    : m_terminal(std::move(terminal)),
      m_faultyLink(MakeFaultyLink(fault, *m_terminal)),
      m_simulator(MakeSimulator(
          script, m_faultyLink ? static_cast<DeviceLink&>(*m_faultyLink) : *m_terminal)),
      m_player([simulator = m_simulator.get(), beatEvery = script.beatEvery](
                   const std::stop_token& stop) { RunSimulator(*simulator, beatEvery, stop); }) {}

SimulatedPort::~SimulatedPort() {
  // A stall must not hold up the stop.
  if (m_faultyLink) m_faultyLink->Cancel();
}

SimulatedPortResult SimulatedPort::Start(const DeviceScript& script,
                                         const std::optional<LineFault>& fault) {
  std::string error;
  std::unique_ptr<PseudoTerminal> terminal = PseudoTerminal::Open(error);
  if (!terminal) return error;
  return std::unique_ptr<SimulatedPort>(new SimulatedPort(std::move(terminal), script, fault));
}

SimulatedPortResult SimulatedPort::StartDemo(int deviceCode) {
  const std::optional<DeviceScript> script = DemoScript(deviceCode);
  if (!script) return "no simulator for device " + std::to_string(deviceCode);
  return Start(*script);
}

}  // namespace zelvane::devsim
