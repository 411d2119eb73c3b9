#pragma once

#include <charconv>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

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

// What the simulators say of a value their option refuses.
inline std::string BadOptionValue(std::string_view option, std::string_view value) {
  return std::string("bad value '").append(value).append("' for ").append(option);
}

}  // namespace zelvane::devsim
