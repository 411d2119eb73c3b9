#include "collector_csv.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "cp1250_text.h"
#include "host_options.h"

namespace zelvane::host {
namespace {

TEST(CollectorCsv, LinesRoundTripWithQuotingWhereNeeded) {
  struct Case {
    CsvRecord record;
    std::string line;
  };
  const Case cases[] = {
      {{"5901234", "Mleko", 3, 3.49}, "5901234,Mleko,3,3.49"},
      {{"123", "A,B", 2, 4.5}, "123,\"A,B\",2,4.5"},
      {{"9\"", "Say \"hi\"", 0.125, 0}, "\"9\"\"\",\"Say \"\"hi\"\"\",0.125,0"},
      {{"", "", 1e7, 12345.67}, ",,10000000,12345.67"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvLine(c.record), c.line);
    EXPECT_EQ(ParseCsvLine(c.line), c.record) << c.line;
  }
}

TEST(CollectorCsv, LinesThatAreNotRecordsAreRefused) {
  for (const char* line :
       {"code,name,quantity,price", "1,A,2", "1,A,2,3,4", "1,A,two,3", "1,A,2,3x", "1,\"A,2,3"}) {
    EXPECT_EQ(ParseCsvLine(line), std::nullopt) << line;
  }
  EXPECT_EQ(ParseCsvLine("1,A,2,3\r"), (CsvRecord{"1", "A", 2, 3}));
}

TEST(CollectorCsv, PolishLettersReachTheLibraryInItsCodePage) {
  const std::string utf8 = "Żółw ąę €";
  const std::string cp1250 = Utf8ToCp1250(utf8);
  EXPECT_EQ(cp1250, "\xAF\xF3\xB3w \xB9\xEA ?");
  EXPECT_EQ(Cp1250ToUtf8(cp1250.c_str()), "Żółw ąę ?");
}

TEST(CollectorCsv, ReadingAndLoadingExcludeEachOther) {
  const ParseResult both =
      ParseOptions({"--device", "500", "--read-csv", "a.csv", "--load-csv", "b.csv"});
  EXPECT_TRUE(std::holds_alternative<std::string>(both));
  const ParseResult read = ParseOptions({"--device", "500", "--read-csv", "a.csv"});
  ASSERT_TRUE(std::holds_alternative<HostOptions>(read));
  EXPECT_EQ(std::get<HostOptions>(read).readCsv, "a.csv");
}

}  // namespace
}  // namespace zelvane::host
