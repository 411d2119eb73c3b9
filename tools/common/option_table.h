#pragma once

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace zelvane::tools {

// One command-line option of a tool. A new option is one more row of the tool's table;
// `apply` returns false for a value it cannot take.
template <typename Target>
struct OptionRow {
  const char* name;
  const char* valueName;  // null: the option takes no value
  const char* description;
  bool (*apply)(Target& target, std::string_view value);
};

// Why the options of a command line could not be read. Each tool words it its own way.
struct OptionRefusal {
  enum class Reason { kUnknownOption, kMissingValue, kBadValue };
  Reason reason;
  std::string option;
  const char* valueName = nullptr;  // what the option's value stands for, if it takes one
  std::string value;                // the value refused
};

// Applies the options of `arguments`, in order, to `target`, and stops at the first it
// cannot apply. `find` gives the row of a name, or null for a name the tool does not
// take. An option with a value takes the next argument, whatever it looks like: a value
// may well begin with a dash.
template <typename Target, typename FindRow>
std::optional<OptionRefusal> ApplyOptions(std::span<const std::string> arguments, Target& target,
                                          FindRow find) {
  using Reason = OptionRefusal::Reason;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    const OptionRow<Target>* row = find(std::string_view(name));
    if (row == nullptr) return OptionRefusal{Reason::kUnknownOption, name, nullptr, ""};
    std::string_view value;
    if (row->valueName != nullptr) {
      if (++i == arguments.size())
        return OptionRefusal{Reason::kMissingValue, name, row->valueName, ""};
      value = arguments[i];
    }
    if (!row->apply(target, value)) {
      return OptionRefusal{Reason::kBadValue, name, row->valueName, std::string(value)};
    }
  }
  return std::nullopt;
}

// The row of `name` in a table where every name appears once; null when it is not there.
template <typename Target>
const OptionRow<Target>* FindOptionRow(std::span<const OptionRow<Target>> rows,
                                       std::string_view name) {
  for (const OptionRow<Target>& row : rows) {
    if (name == row.name) return &row;
  }
  return nullptr;
}

// The left column of an option's line in a usage text: its name and value name, padded
// to `width` and kept apart from the description by at least one space.
std::string OptionColumn(const char* name, const char* valueName, std::size_t width);

// The usage text's lines of a table: the left column, then the description.
template <typename Target>
std::string OptionLines(std::span<const OptionRow<Target>> rows, std::size_t width) {
  std::string text;
  for (const OptionRow<Target>& row : rows) {
    text += "  " + OptionColumn(row.name, row.valueName, width) + row.description + "\n";
  }
  return text;
}

template <typename Member>
struct MemberOwner;
template <typename Owner, typename Field>
struct MemberOwner<Field Owner::*> {
  using Type = Owner;
};

// The `apply` of an option that sets a flag of its target.
template <auto flag>
bool SetFlag(typename MemberOwner<decltype(flag)>::Type& target, std::string_view) {
  target.*flag = true;
  return true;
}

// The `apply` of an option whose value, which may not be empty, is a text of its target.
template <auto text>
bool StoreText(typename MemberOwner<decltype(text)>::Type& target, std::string_view value) {
  target.*text = std::string(value);
  return !value.empty();
}

}  // namespace zelvane::tools
