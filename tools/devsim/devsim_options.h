#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "device_script.h"
#include "line_fault.h"

namespace zelvane::devsim {

// What one run of zelvane-devsim plays.
struct DevsimOptions {
  bool help = false;
  DeviceScript script;
  std::optional<LineFault> fault;  // what goes wrong on the line, if anything
  int comPort = 1;                 // the n of the ZELVANE_COM<n> line printed for the PC
};

// The options, or the text of what is wrong with the command line.
using DevsimParseResult = std::variant<DevsimOptions, std::string>;

// Reads the arguments after the program name: the device name, then options. Every
// cue option adds its steps to the script in the order given; a device given no cue
// plays its demo script.
DevsimParseResult ParseDevsimOptions(const std::vector<std::string>& arguments);

std::string DevsimUsage(const std::string& programName);

}  // namespace zelvane::devsim
