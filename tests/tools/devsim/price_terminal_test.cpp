#include "price_terminal.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvane::devsim {
namespace {

TEST(PriceTerminalOptions, ReadsServiceCodesAndPace) {
  const auto parsed = ParsePriceTerminalOptions(
      {"--service", "10.0.0.5:9200", "--codes", "1,,2", "--every", "250", "--from", "127.0.0.7"});
  ASSERT_TRUE(std::holds_alternative<PriceTerminalOptions>(parsed));
  const PriceTerminalOptions& options = std::get<PriceTerminalOptions>(parsed);
  EXPECT_EQ(options.service, (spr_lan::ListenAddress{"10.0.0.5", 9200}));
  EXPECT_EQ(options.codes, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(options.every.count(), 250);
  EXPECT_EQ(options.from, "127.0.0.7");
  EXPECT_FALSE(options.fault.has_value());

  // A fault at a chosen byte, or at one drawn from the seed wherever the seed stands.
  const auto flip = ParsePriceTerminalOptions({"--fault", "flip@3"});
  ASSERT_TRUE(std::holds_alternative<PriceTerminalOptions>(flip));
  EXPECT_EQ(std::get<PriceTerminalOptions>(flip).fault->kind, FaultKind::kFlip);
  EXPECT_EQ(std::get<PriceTerminalOptions>(flip).fault->atByte, 3u);
  std::vector<std::size_t> drawn;
  for (const std::vector<std::string>& arguments :
       std::vector<std::vector<std::string>>{{"--fault", "drop", "--seed", "9"},
                                             {"--seed", "9", "--fault", "drop"},
                                             {"--fault", "drop"}}) {
    const auto parsed = ParsePriceTerminalOptions(arguments);
    ASSERT_TRUE(std::holds_alternative<PriceTerminalOptions>(parsed));
    drawn.push_back(std::get<PriceTerminalOptions>(parsed).fault->atByte);
  }
  EXPECT_EQ(drawn[0], drawn[1]);
  EXPECT_NE(drawn[0], drawn[2]) << "seed 9 and the default seed draw other bytes";

  const std::vector<std::vector<std::string>> refused = {
      {"--service", "nohostport"}, {"--service", ""}, {"--every", "-1"},
      {"--every", "1s"},           {"--codes"},       {"--what", "1"},
      {"--fault", "melt"},         {"--seed", "-1"},  {"--from", "localhost"},
      {"--from", "127.0.0"}};
  for (const auto& arguments : refused) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParsePriceTerminalOptions(arguments)))
        << arguments[0];
  }
}

TEST(PriceTerminalDisplay, ShowsCodePage852AsUtf8) {
  EXPECT_EQ(DisplayedLines("\x1B%\xBD\xA2\x88\x86\rCENA 1.00z\x88"),
            (std::vector<std::string>{reinterpret_cast<const char*>(u8"Żółć"),
                                      reinterpret_cast<const char*>(u8"CENA 1.00zł")}));
  EXPECT_EQ(DisplayedLines("\x1B%"), std::vector<std::string>{});
}

}  // namespace
}  // namespace zelvane::devsim
