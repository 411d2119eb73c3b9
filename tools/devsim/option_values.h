#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "option_table.h"

namespace zelvane::devsim {

// A whole command-line value as a number within the bounds; nothing otherwise.
template <typename Number>
std::optional<Number> ParseNumber(std::string_view text, Number lowest, Number highest) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < lowest ||
      value > highest) {
    return std::nullopt;
  }
  return value;
}

// The setters of the options every simulator takes, for a command line that holds the
// line fault to play (`fault`) and the help switch (`options.help`).
template <typename CommandLine>
bool SetFaultOption(CommandLine& line, std::string_view value) {
  return line.fault.SetFault(value);
}
template <typename CommandLine>
bool SetSeedOption(CommandLine& line, std::string_view value) {
  return line.fault.SetSeed(value);
}
template <typename CommandLine>
bool SetHelpOption(CommandLine& line, std::string_view) {
  line.options.help = true;
  return true;
}

// What the simulators say of an option they cannot take.
inline std::string SimulatorRefusal(const tools::OptionRefusal& refusal) {
  using Reason = tools::OptionRefusal::Reason;
  switch (refusal.reason) {
    case Reason::kUnknownOption: return "unknown option '" + refusal.option + "'";
    case Reason::kMissingValue: return refusal.option + " needs a value";
    case Reason::kBadValue: return "bad value '" + refusal.value + "' for " + refusal.option;
  }
  return refusal.option;
}

}  // namespace zelvane::devsim
