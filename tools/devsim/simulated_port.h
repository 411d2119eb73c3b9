#pragma once

#include <memory>
#include <optional>
#include <stop_token>
#include <string>
#include <thread>
#include <variant>

#include "device_script.h"
#include "line_fault.h"
#include "pseudo_terminal.h"

namespace zelvane::devsim {

class SimulatedPort;
// The running port, or the text of why it could not start.
using SimulatedPortResult = std::variant<std::unique_ptr<SimulatedPort>, std::string>;

// A device played on its own thread at the master of a new pseudo-terminal, for a PC
// program that opens the slave as its COM port (ZELVANE_COM<n>=SlavePath()).
class SimulatedPort {
 public:
  // Starts the device of the script, with the fault on its line if one is given.
  static SimulatedPortResult Start(const DeviceScript& script,
                                   const std::optional<LineFault>& fault = std::nullopt);
  // Starts the demo device (DemoScript) of a device code: 400..405 scanners, 600 Fawag,
  // 601 Radwag, 602 CAS AP-1; other codes have no simulator.
  static SimulatedPortResult StartDemo(int deviceCode);

  // Stops the device (promptly, see RunSimulator) and closes the pair.
  ~SimulatedPort();
  SimulatedPort(const SimulatedPort&) = delete;
  SimulatedPort& operator=(const SimulatedPort&) = delete;

  const std::string& SlavePath() const { return m_terminal->SlavePath(); }

 private:
  SimulatedPort(std::unique_ptr<PseudoTerminal> terminal, const DeviceScript& script,
                const std::optional<LineFault>& fault);

  std::unique_ptr<PseudoTerminal> m_terminal;
  std::unique_ptr<FaultyLink> m_faultyLink;  // between the device and the pair, if any
  std::unique_ptr<DeviceSimulator> m_simulator;
  // Last: the thread is stopped and joined before the simulator and the pair go.
  std::jthread m_player;
};

}  // namespace zelvane::devsim
