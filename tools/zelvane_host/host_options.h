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
  std::string readCsv;              // a collector's records go to this CSV file
  std::string loadCsv;              // this CSV file's records go to a collector
};

// The options, or the text of what is wrong with the command line.
using ParseResult = std::variant<HostOptions, std::string>;

// Reads the arguments after the program name. Every option but --help takes one value;
// a repeated option keeps its last value. --device is required unless --help is given.
ParseResult ParseOptions(const std::vector<std::string>& arguments);

// The --help text: the options and the device codes with their families.
std::string UsageText(const std::string& programName);

}  // namespace zelvane::host
