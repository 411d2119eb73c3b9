#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zelvane::host {

// What one run of the command-line host does.
struct HostOptions {
  bool help = false;
  std::optional<std::int32_t> device;
  std::int32_t port = 1;
  std::int32_t baud = 9600;
  std::optional<unsigned> seconds;  // stop by itself after this long
  std::string library;              // empty: the library next to the program
  bool simulate = false;            // play the device on a pseudo-terminal as the port
  // Raw printing instead of a device job.
  std::string printer;        // show what this name resolves to in this session
  std::string printFile;      // send this file raw to the resolved printer
  bool listPrinters = false;  // list the printers with what each name resolves to
  std::string prices;         // price list (CSV) answering the price checkers
  std::string readCsv;        // a collector's records go to this CSV file
  std::string loadCsv;        // this CSV file's records go to a collector
  bool probe = false;         // find out what is wired to the port
};

// The options, or the text of what is wrong with the command line.
using ParseResult = std::variant<HostOptions, std::string>;

// Reads the arguments after the program name. Every option but --help, --simulate,
// --probe and --list-printers takes one value; a repeated option keeps its last value.
// --device is required unless --help, --probe or a printing option is given; it
// excludes them, --probe excludes the printing options, and --print needs --printer.
ParseResult ParseOptions(const std::vector<std::string>& arguments);

// The --help text: the options and the device codes with their families.
std::string UsageText(const std::string& programName);

}  // namespace zelvane::host
