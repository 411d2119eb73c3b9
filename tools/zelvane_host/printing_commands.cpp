#include "printing_commands.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <optional>

#include "library_loader.h"
#include "platform/printer_spooler.h"
#include "zelvane.h"

namespace zelvane::host {
namespace {

struct PrintingApi {
  decltype(&::GetPrnNameInSession) nameInSession = nullptr;
  decltype(&::PrnRawData) printRaw = nullptr;
};

std::optional<PrintingApi> LoadPrintingApi(const std::string& path, std::string& error) {
  const LibraryHandle library = OpenLibrary(path, error);
  if (library == nullptr) return std::nullopt;
  PrintingApi api;
  api.nameInSession =
      reinterpret_cast<decltype(api.nameInSession)>(FindExport(library, "GetPrnNameInSession"));
  api.printRaw = reinterpret_cast<decltype(api.printRaw)>(FindExport(library, "PrnRawData"));
  if (api.nameInSession == nullptr || api.printRaw == nullptr) {
    error = "the library has no printing exports";
    return std::nullopt;
  }
  return api;
}

// Names are shown as the spooler gives them, in quotes so that spaces can be seen.
std::string Quoted(const std::string& name) {
  return "\"" + name + "\"";
}

std::optional<std::string> ReadWholeFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// The library exports no listing, so the host asks the system's spooler itself, as a
// shop application does, and the library only resolves each name.
bool ListPrinters(const PrintingApi& api) {
  const auto names = platform::SystemSpooler().PrinterNames();
  if (!names) {
    std::fprintf(stderr, "the printers cannot be listed (is a print server reachable?)\n");
    return false;
  }
  std::printf("%zu printer(s), each with the printer its name stands for:\n", names->size());
  for (const std::string& name : *names) {
    const std::string resolved = api.nameInSession(name.c_str());
    std::printf("  %s -> %s\n", Quoted(name).c_str(), Quoted(resolved).c_str());
  }
  return true;
}

bool PrintFile(const PrintingApi& api, const HostOptions& options) {
  const std::string resolved = api.nameInSession(options.printer.c_str());
  std::printf("printer %s stands for %s\n", Quoted(options.printer).c_str(),
              Quoted(resolved).c_str());
  if (options.printFile.empty()) return true;
  const std::optional<std::string> data = ReadWholeFile(options.printFile);
  if (!data) {
    std::fprintf(stderr, "cannot read %s\n", options.printFile.c_str());
    return false;
  }
  if (data->size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
    std::fprintf(stderr, "%s is too large for one raw job\n", options.printFile.c_str());
    return false;
  }
  const bool accepted = api.printRaw(options.printer.c_str(), data->data(),
                                     static_cast<std::int32_t>(data->size())) == 1;
  std::printf("%zu bytes sent raw to %s: %s\n", data->size(), Quoted(resolved).c_str(),
              accepted ? "accepted" : "refused");
  return accepted;
}

}  // namespace

bool WantsPrinting(const HostOptions& options) {
  return options.listPrinters || !options.printer.empty();
}

int RunPrinting(const std::string& libraryPath, const HostOptions& options) {
  std::string error;
  const std::optional<PrintingApi> api = LoadPrintingApi(libraryPath, error);
  if (!api) {
    std::fprintf(stderr, "cannot use %s: %s\n", libraryPath.c_str(), error.c_str());
    return 1;
  }
  bool done = true;
  if (options.listPrinters) done = ListPrinters(*api);
  if (!options.printer.empty()) done = PrintFile(*api, options) && done;
  return done ? 0 : 1;
}

}  // namespace zelvane::host
