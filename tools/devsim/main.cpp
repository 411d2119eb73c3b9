// zelvane-devsim: plays a scanner or a scale on a new pseudo-terminal, for trying the
// library and its hosts without the device.
#include <signal.h>

#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "devsim_options.h"
#include "guarded_main.h"
#include "price_terminal.h"
#include "simulated_port.h"

using namespace zelvane::devsim;

namespace {

// Blocked before the device thread starts, so that only the wait below takes them.
sigset_t StopSignals() {
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  return signals;
}

}  // namespace

namespace {

int RunProgram(int argc, char** argv) {
  constexpr const char* kProgramName = "zelvane-devsim";
  // The price checker is a network client, not a device on a pseudo-terminal.
  if (argc > 1 && std::string(argv[1]) == "pricechecker") {
    const PriceTerminalParseResult terminal =
        ParsePriceTerminalOptions(std::vector<std::string>(argv + 2, argv + argc));
    if (const std::string* problem = std::get_if<std::string>(&terminal)) {
      std::fprintf(stderr, "%s: %s (see pricechecker --help)\n", kProgramName, problem->c_str());
      return 2;
    }
    if (std::get<PriceTerminalOptions>(terminal).help) {
      std::fputs(PriceTerminalUsage(kProgramName).c_str(), stdout);
      return 0;
    }
    return RunPriceTerminal(std::get<PriceTerminalOptions>(terminal));
  }
  const DevsimParseResult parsed =
      ParseDevsimOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const std::string* problem = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "%s: %s (see --help)\n", kProgramName, problem->c_str());
    return 2;
  }
  const DevsimOptions& options = std::get<DevsimOptions>(parsed);
  if (options.help) {
    std::fputs(DevsimUsage(kProgramName).c_str(), stdout);
    std::fputs(
        "\nOver the network instead of a pseudo-terminal:\n"
        "  pricechecker  LAN price-checker terminal (device code 702; pricechecker --help)\n",
        stdout);
    return 0;
  }

  const sigset_t stopSignals = StopSignals();
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  SimulatedPortResult started = SimulatedPort::Start(options.script, options.fault);
  if (const std::string* problem = std::get_if<std::string>(&started)) {
    std::fprintf(stderr, "%s: %s\n", kProgramName, problem->c_str());
    return 1;
  }
  const auto& port = std::get<std::unique_ptr<SimulatedPort>>(started);
  std::printf("ZELVANE_COM%d=%s\n", options.comPort, port->SlavePath().c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "%s: playing %s; Ctrl-C to stop\n", kProgramName, argv[1]);

  int signal = 0;
  sigwait(&stopSignals, &signal);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return zelvane::tools::RunGuarded(&RunProgram, argc, argv);
}
