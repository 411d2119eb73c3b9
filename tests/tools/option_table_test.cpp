#include "option_table.h"

#include <gtest/gtest.h>

#include <optional>
#include <span>
#include <string>
#include <vector>

namespace zelvane::tools {
namespace {

// A tool of two options: a flag and a text that may not be empty.
struct Settings {
  bool verbose = false;
  std::string name;
};

const OptionRow<Settings> kRows[] = {
    {"--verbose", nullptr, "say more", &SetFlag<&Settings::verbose>},
    {"--name", "TEXT", "the name", &StoreText<&Settings::name>},
};

// What reading a command line comes to, in one line: the settings, or the refusal.
std::string Outcome(const std::vector<std::string>& arguments) {
  Settings settings;
  const std::optional<OptionRefusal> refusal =
      ApplyOptions(std::span(arguments), settings,
                   [](std::string_view name) { return FindOptionRow<Settings>(kRows, name); });
  if (!refusal) {
    return std::string(settings.verbose ? "verbose" : "quiet") + " name=" + settings.name;
  }
  switch (refusal->reason) {
    case OptionRefusal::Reason::kUnknownOption: return "unknown " + refusal->option;
    case OptionRefusal::Reason::kMissingValue:
      return refusal->option + " lacks " + refusal->valueName;
    case OptionRefusal::Reason::kBadValue:
      return refusal->option + " refuses '" + refusal->value + "'";
  }
  return "no reason";
}

TEST(OptionTable, AppliesEachOptionInTurnUntilOneIsRefused) {
  const struct {
    std::vector<std::string> arguments;
    std::string outcome;
  } cases[] = {
      {{}, "quiet name="},
      {{"--verbose"}, "verbose name="},
      {{"--name", "a"}, "quiet name=a"},
      {{"--name", "a", "--name", "b"}, "quiet name=b"},
      {{"--name", "--verbose"}, "quiet name=--verbose"},
      {{"--name"}, "--name lacks TEXT"},
      {{"--name", ""}, "--name refuses ''"},
      {{"--loud"}, "unknown --loud"},
      {{"--verbose", "x"}, "unknown x"},
      {{"--loud", "--name"}, "unknown --loud"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Outcome(c.arguments), c.outcome) << ::testing::PrintToString(c.arguments);
  }
}

TEST(OptionTable, UsageColumnPadsNameAndValueToItsWidth) {
  const struct {
    const char* name;
    const char* valueName;
    std::size_t width;
    std::string column;
  } cases[] = {
      {"--help", nullptr, 10, "--help    "},
      {"--name", "TEXT", 14, "--name TEXT   "},
      {"--name", "TEXT", 12, "--name TEXT "},
      {"--name", "TEXT", 4, "--name TEXT "},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OptionColumn(c.name, c.valueName, c.width), c.column) << c.name << " " << c.width;
  }
}

}  // namespace
}  // namespace zelvane::tools
