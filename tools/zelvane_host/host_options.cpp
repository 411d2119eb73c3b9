#include "host_options.h"

#include <charconv>
#include <string_view>

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

// One command-line option. A new option is one more row here and a field of
// HostOptions; `apply` returns false for a value it cannot take.
struct OptionSpec {
  const char* name;
  const char* valueName;  // null: the option takes no value
  const char* description;
  bool (*apply)(HostOptions& options, std::string_view value);
};

template <auto field, auto minimum>
bool StoreNumber(HostOptions& options, std::string_view value) {
  const auto number = ParseNumber(value, minimum);
  if (number) options.*field = *number;
  return number.has_value();
}

const OptionSpec kOptions[] = {
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
     [](HostOptions& options, std::string_view value) {
       options.library = std::string(value);
       return !value.empty();
     }},
    {"--prices", "FILE",
     "price list answering device 702: CSV lines code,name,price (default: a demo list)",
     [](HostOptions& options, std::string_view value) {
       options.prices = std::string(value);
       return !value.empty();
     }},
    {"--read-csv", "FILE",
     "read a collector's records into FILE (code,name,quantity,price); -: show them\n"
     "                    with the progress notices",
     [](HostOptions& options, std::string_view value) {
       options.readCsv = std::string(value);
       return !value.empty();
     }},
    {"--load-csv", "FILE", "load the records of FILE into a collector",
     [](HostOptions& options, std::string_view value) {
       options.loadCsv = std::string(value);
       return !value.empty();
     }},
    {"--simulate", nullptr,
     "play a demo device on a pseudo-terminal mapped as the port (Linux; scanners, scales);\n"
     "                    for 702 a terminal on loopback scans known and unknown codes",
     [](HostOptions& options, std::string_view) {
       options.simulate = true;
       return true;
     }},
    {"--printer", "NAME", "show the printer that NAME stands for in this session",
     [](HostOptions& options, std::string_view value) {
       options.printer = std::string(value);
       return !value.empty();
     }},
    {"--print", "FILE", "send FILE unchanged to that printer (with --printer)",
     [](HostOptions& options, std::string_view value) {
       options.printFile = std::string(value);
       return !value.empty();
     }},
    {"--probe", nullptr,
     "find out what is wired to the port (asks scales for a weight, listens for\n"
     "                    scanners and collectors; never sends them a command)",
     [](HostOptions& options, std::string_view) {
       options.probe = true;
       return true;
     }},
    {"--list-printers", nullptr, "list the printers and what each name stands for",
     [](HostOptions& options, std::string_view) {
       options.listPrinters = true;
       return true;
     }},
    {"--help", nullptr, "show this text",
     [](HostOptions& options, std::string_view) {
       options.help = true;
       return true;
     }},
};

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

const OptionSpec* FindOption(std::string_view name) {
  for (const OptionSpec& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.resize(width, ' ');
  return text;
}

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& arguments) {
  HostOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const OptionSpec* option = FindOption(name);
    if (option == nullptr) return "unknown option " + name;
    std::string_view value;
    if (option->valueName != nullptr) {
      if (++i == arguments.size()) return name + " needs a value " + option->valueName;
      value = arguments[i];
    }
    if (!option->apply(options, value)) {
      return "invalid value for " + name + ": " + std::string(value);
    }
  }
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
  for (const OptionSpec& option : kOptions) {
    std::string left = option.name;
    if (option.valueName != nullptr) left.append(" ").append(option.valueName);
    text += "  " + Padded(left, 18) + option.description + "\n";
  }
  text += "\nDevice codes:\n";
  for (const DeviceFamily& device : kDeviceFamilies) {
    text += "  " + Padded(device.codes, 10) + device.family + "\n";
  }
  return text;
}

}  // namespace zelvane::host
