// The price checker's display texts and answer blocks, composed from bytes alone.
#include "devices/pricecheck/price_display.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zelvane {
namespace {

const std::string kPriceLine = std::string("CENA") + std::string(9, ' ') + "12.50z\x88";

TEST(PriceDisplay, ComposesNameAndPriceLinesInCodePage852) {
  struct Case {
    const char* what;
    std::string name;
    double price;
    PriceDisplay expected;
  };
  const std::vector<Case> cases = {
      {"short name ends its line", "Mleko", 12.5, {"Mleko\n" + kPriceLine, 1, 5}},
      {"long name is cut to 20 without a line feed",
       "ABCDEFGHIJKLMNOPQRSTUVWXY",
       12.5,
       {"ABCDEFGHIJKLMNOPQRST" + kPriceLine, 1, 5}},
      {"exactly 20 has no line feed",
       std::string(20, 'n'),
       12.5,
       {std::string(20, 'n') + kPriceLine, 1, 5}},
      // "Żółć łąka" in code page 1250 becomes code page 852.
      {"Polish letters",
       "\xAF\xF3\xB3\xE6 \xB3\xB9ka",
       12.5,
       {"\xBD\xA2\x88\x86 \x88\xA5ka\n" + kPriceLine, 1, 5}},
      {"price rounds to two decimals",
       "A",
       0.005,
       {"A\nCENA" + std::string(10, ' ') + "0.01z\x88", 1, 5}},
      {"a price too wide for 14 keeps its first 14",
       "A",
       1e20,
       {"A\nCENA1" + std::string(13, '0') + "z\x88", 1, 5}},
      {"empty name: code not found", "", 12.5, {"NIE ZNALEZIONO KODU\n", 2, 3}},
      {"all-space name: code not found", "    ", 12.5, {"NIE ZNALEZIONO KODU\n", 2, 3}},
  };
  for (const Case& test : cases) {
    const PriceDisplay display = ComposeDisplay(MakePriceAnswer("590", test.name, test.price));
    EXPECT_EQ(display, test.expected) << test.what;
    EXPECT_LE(display.text.size(), PriceDisplay::kMaxText) << test.what;
  }
  EXPECT_EQ(NoAnswerDisplay(), (PriceDisplay{"", 0, 3}));
}

TEST(PriceDisplay, AnswerBlockTrimsAndCutsTheHostFields) {
  struct Case {
    std::string code;
    std::string name;
    std::string expectedCode;
    std::string expectedName;
  };
  const std::vector<Case> cases = {
      {"  590123  ", "  Chleb razowy ", "590123", "Chleb razowy"},
      {std::string(40, '7'), std::string(60, 'x'), std::string(31, '7'), std::string(47, 'x')},
      {"", "   ", "", ""},
  };
  for (const Case& test : cases) {
    const PriceAnswer answer = MakePriceAnswer(test.code, test.name, 3.25);
    EXPECT_EQ(std::string(answer.code), test.expectedCode);
    EXPECT_EQ(std::string(answer.name), test.expectedName);
    EXPECT_EQ(answer.price, 3.25);
  }
}

}  // namespace
}  // namespace zelvane
