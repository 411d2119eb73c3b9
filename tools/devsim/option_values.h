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
