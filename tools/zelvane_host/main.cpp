// zelvane-host: drives one device through the Zelvane library, loaded at run time the
// way a shop application loads it, and prints what the library reports.
#include <cstdio>
#include <string>
#include <variant>
#include <vector>

#include "collector_transfer.h"
#include "console.h"
#include "guarded_main.h"
#include "host_options.h"
#include "job_report.h"
#include "job_runner.h"
#include "library_loader.h"
#include "port_probe.h"
#include "price_answers.h"
#include "printing_commands.h"
#include "simulated_device.h"
#include "simulated_terminal.h"
#include "zelvane_api.h"

using namespace zelvane::host;

namespace {

int RunProgram(int argc, char** argv) {
  constexpr const char* kProgramName = "zelvane-host";
  const ParseResult parsed = ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
  if (const std::string* problem = std::get_if<std::string>(&parsed)) {
    std::fprintf(stderr, "%s: %s (see --help)\n", kProgramName, problem->c_str());
    return 2;
  }
  const HostOptions& options = std::get<HostOptions>(parsed);
  if (options.help) {
    std::fputs(UsageText(kProgramName).c_str(), stdout);
    return 0;
  }

  PrepareConsole();
  if (options.probe) return ProbePort(options.port, &PrintLine) ? 0 : 1;
  const std::string path = options.library.empty() ? LibraryNextToProgram() : options.library;
  if (WantsPrinting(options)) return RunPrinting(path, options);
  constexpr std::int32_t kPriceChecker = 702;
  const bool priceChecker = *options.device == kPriceChecker;
  std::optional<PriceList> prices;
  if (priceChecker) {
    std::string why;
    prices = options.prices.empty() ? PriceList::Demo() : LoadPriceList(options.prices, why);
    if (!prices) {
      std::fprintf(stderr, "%s: %s\n", kProgramName, why.c_str());
      return 1;
    }
  }
  std::unique_ptr<SimulatedTerminal> terminal;
  if (options.simulate && priceChecker) {
    std::string why;
    terminal = SimulatedTerminal::Start(DemoScans(*prices), why);
    if (!terminal) {
      std::fprintf(stderr, "%s: cannot simulate a terminal: %s\n", kProgramName, why.c_str());
      return 1;
    }
    std::printf("simulated price-checker terminal; the service listens on %s\n",
                terminal->Address().c_str());
  }
  std::unique_ptr<SimulatedDevice> simulated;
  if (options.simulate && !priceChecker) {
    std::string why;
    simulated = StartSimulatedDevice(*options.device, options.port, why);
    if (!simulated) {
      std::fprintf(stderr, "%s: cannot simulate device %d: %s\n", kProgramName,
                   static_cast<int>(*options.device), why.c_str());
      return 1;
    }
    std::printf("simulated device %d on %s as COM%d\n", static_cast<int>(*options.device),
                simulated->Path().c_str(), static_cast<int>(options.port));
  }
  std::string error;
  const std::optional<ZelvaneApi> api = LoadZelvaneApi(path, error);
  if (!api) {
    std::fprintf(stderr, "%s: cannot use %s: %s\n", kProgramName, path.c_str(), error.c_str());
    return 1;
  }
  if (prices) InstallPriceList(*prices, *api);
  const bool transfer = !options.readCsv.empty() || !options.loadCsv.empty();
  return transfer ? RunCollectorTransfer(*api, options) : RunJob(*api, options);
}

}  // namespace

int main(int argc, char** argv) {
  return zelvane::tools::RunGuarded(&RunProgram, argc, argv);
}
