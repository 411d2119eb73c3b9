#include "host_options.h"

#include <charconv>
#include <span>
#include <string_view>

#include "option_table.h"

namespace zelvane::host {
namespace {

// A whole decimal number of at least `minimum`, with nothing around it.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, Number minimum) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < minimum) {
    return std::nullopt;
  }
  return value;
}

using tools::OptionRow;
using tools::SetFlag;
using tools::StoreText;

template <auto field, auto minimum>
bool StoreNumber(HostOptions& options, std::string_view value) {
  const auto number = ParseNumber(value, minimum);
  if (number) options.*field = *number;
  return number.has_value();
}

// A new option is one more row here and a field of HostOptions.
const OptionRow<HostOptions> kOptions[] = {
    {"--device", "CODE", "device code (see the list below); required for a device job",
     &StoreNumber<&HostOptions::device, std::int32_t{0}>},
    {"--port", "N", "serial port number, 1 = COM1 (default 1)",
     &StoreNumber<&HostOptions::port, std::int32_t{1}>},
    {"--baud", "N", "line speed, read by the CipherLab collectors (default 9600)",
     &StoreNumber<&HostOptions::baud, std::int32_t{1}>},
    {"--seconds", "N", "stop the job by itself after N seconds (default: at Ctrl-C)",
     &StoreNumber<&HostOptions::seconds, 1u>},
    {"--library", "PATH",
     "the Zelvane library to load (default: the one next to this program, else\n"
     "                    the one the system finds)",
     &StoreText<&HostOptions::library>},
    {"--prices", "FILE",
     "price list answering device 702: CSV lines code,name,price (default: a demo list)",
     &StoreText<&HostOptions::prices>},
    {"--read-csv", "FILE",
     "read a collector's records into FILE (code,name,quantity,price); -: show them\n"
     "                    with the progress notices",
     &StoreText<&HostOptions::readCsv>},
    {"--load-csv", "FILE", "load the records of FILE into a collector",
     &StoreText<&HostOptions::loadCsv>},
    {"--simulate", nullptr,
     "play a demo device on a pseudo-terminal mapped as the port (Linux; scanners, scales);\n"
     "                    for 702 a terminal on loopback scans known and unknown codes",
     &SetFlag<&HostOptions::simulate>},
    {"--printer", "NAME", "show the printer that NAME stands for in this session",
     &StoreText<&HostOptions::printer>},
    {"--print", "FILE", "send FILE unchanged to that printer (with --printer)",
     &StoreText<&HostOptions::printFile>},
    {"--probe", nullptr,
     "find out what is wired to the port (asks scales for a weight, listens for\n"
     "                    scanners and collectors; never sends them a command)",
     &SetFlag<&HostOptions::probe>},
    {"--list-printers", nullptr, "list the printers and what each name stands for",
     &SetFlag<&HostOptions::listPrinters>},
    {"--help", nullptr, "show this text", &SetFlag<&HostOptions::help>},
};

// How the host words what is wrong with an option.
std::string Worded(const tools::OptionRefusal& refusal) {
  using Reason = tools::OptionRefusal::Reason;
  switch (refusal.reason) {
    case Reason::kUnknownOption: return "unknown option " + refusal.option;
    case Reason::kMissingValue: return refusal.option + " needs a value " + refusal.valueName;
    case Reason::kBadValue: return "invalid value for " + refusal.option + ": " + refusal.value;
  }
  return refusal.option;
}

struct DeviceFamily {
  const char* codes;
  const char* family;
};

const DeviceFamily kDeviceFamilies[] = {
    {"400, 401", "Tysso scanner"},
    {"402-405", "Metrologic scanner"},
    {"500, 501", "CipherLab collector"},
    {"503", "Denso BHT-6045 collector"},
    {"504", "CipherLab collector (short records)"},
    {"505", "Casio DT-700 collector (ZelvaneRunCollector only)"},
    {"600", "Fawag scale"},
    {"601", "Radwag scale"},
    {"602", "CAS AP-1 scale"},
    {"702", "LAN price checker"},
};

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& arguments) {
  HostOptions options;
  const auto refusal = tools::ApplyOptions(
      std::span(arguments), options,
      [](std::string_view name) { return tools::FindOptionRow<HostOptions>(kOptions, name); });
  if (refusal) return Worded(*refusal);
  const bool printing =
      !options.printer.empty() || !options.printFile.empty() || options.listPrinters;
  if (!options.printFile.empty() && options.printer.empty()) {
    return std::string("--print needs --printer");
  }
  if (printing && options.device) {
    return std::string("--device and the printing options exclude each other");
  }
  if (options.probe && (printing || options.device)) {
    return std::string("--probe excludes --device and the printing options");
  }
  if (!options.help && !printing && !options.probe && !options.device) {
    return std::string("--device is required");
  }
  if (!options.readCsv.empty() && !options.loadCsv.empty()) {
    return std::string("--read-csv and --load-csv exclude each other");
  }
  return options;
}

std::string UsageText(const std::string& programName) {
  std::string text = "Usage: " + programName + " --device CODE [options]\n" + "       " +
                     programName + " --probe [--port N]\n" + "       " + programName +
                     " --printer NAME [--print FILE] | --list-printers\n\n" +
                     "Runs one device job of the Zelvane library and prints what it reports,\n" +
                     "or prints a file raw through the library.\n\n" + "Options:\n";
  text += tools::OptionLines<HostOptions>(kOptions, 18);
  text += "\nDevice codes:\n";
  for (const DeviceFamily& device : kDeviceFamilies) {
    text += "  " + Padded(device.codes, 10) + device.family + "\n";
  }
  return text;
}

}  // namespace zelvane::host
