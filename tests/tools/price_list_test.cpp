#include "price_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cp1250_text.h"

namespace zelvane::host {
namespace {

using Article = PriceList::Article;

TEST(PriceList, ReadsCodeNamePriceLines) {
  struct Case {
    const char* what;
    std::string csv;
    std::vector<Article> articles;
  };
  const std::vector<Case> cases = {
      {"plain lines, CR LF, empty lines",
       "590,Kawa,12.5\r\n\n 2000 , Mleko 2% , 3.49 \n",
       {{"590", "Kawa", 12.5}, {"2000", "Mleko 2%", 3.49}}},
      {"a heading and commas in the name",
       "code,name,price\n590,Ser, zolty,7\n",
       {{"590", "Ser, zolty", 7.0}}},
      {"UTF-8 names become code page 1250", "1,Żółć,1.00\n", {{"1", "\xAF\xF3\xB3\xE6", 1.0}}},
  };
  for (const Case& test : cases) {
    const auto parsed = PriceList::Parse(test.csv);
    ASSERT_TRUE(std::holds_alternative<PriceList>(parsed))
        << test.what << ": " << std::get<std::string>(parsed);
    EXPECT_EQ(std::get<PriceList>(parsed).Articles(), test.articles) << test.what;
  }
  struct Bad {
    std::string csv;
    std::string problem;
  };
  const std::vector<Bad> bad = {
      {"590,Kawa\n", "line 1: not code,name,price"},
      {"590,Kawa,12.5\n591,Herbata,abc\n", "line 2: the price is not a number"},
      {"590,Kawa,12.5\n,Herbata,1\n", "line 2: no code"},
  };
  for (const Bad& test : bad) {
    const auto parsed = PriceList::Parse(test.csv);
    ASSERT_TRUE(std::holds_alternative<std::string>(parsed)) << test.csv;
    EXPECT_EQ(std::get<std::string>(parsed), test.problem);
  }
}

TEST(PriceList, DemoScansKnownCodesAndOneItLacks) {
  const PriceList demo = PriceList::Demo();
  const std::vector<std::string> scans = DemoScans(demo);
  ASSERT_EQ(scans.size(), 4u);
  for (int i = 0; i < 3; ++i) EXPECT_NE(demo.Find(scans[i]), nullptr) << scans[i];
  EXPECT_EQ(demo.Find(scans[3]), nullptr);
}

TEST(Cp1250Text, Utf8PolishLettersBecomeCp1250AndOthersQuestionMarks) {
  EXPECT_EQ(Utf8ToCp1250(reinterpret_cast<const char*>(u8"ĄĆĘŁŃÓŚŹŻąćęłńóśźż")),
            "\xA5\xC6\xCA\xA3\xD1\xD3\x8C\x8F\xAF\xB9\xE6\xEA\xB3\xF1\xF3\x9C\x9F\xBF");
  EXPECT_EQ(Utf8ToCp1250(reinterpret_cast<const char*>(u8"a€b ü")), "a?b ?");
}

}  // namespace
}  // namespace zelvane::host
