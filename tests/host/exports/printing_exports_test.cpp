// The printing exports with input a host may get wrong and printers that are not
// there. No spooler is reachable on Linux (the server is a socket that does not
// exist); Windows has its own spooler, which knows none of these printers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "zelvane.h"

namespace {

class PrintingExports : public ::testing::Test {
 protected:
  void SetUp() override {
#ifndef _WIN32
    setenv("CUPS_SERVER", "/nonexistent/zelvane-test/cups.sock", 1);
#endif
  }
};

TEST_F(PrintingExports, NamesWithoutAPrinterComeBackCutToTheBuffer) {
  const std::string longName(10000, 'x');
  const std::string markedLongName = "Ghost (redirected 2)" + longName;
  struct Case {
    const char* why;
    const char* name;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"no marker", "Zelvane Test Printer", "Zelvane Test Printer"},
      {"marker, no such printer", "Zelvane Ghost (redirected 12)", "Zelvane Ghost (redirected 12)"},
      {"null", nullptr, ""},
      {"10000 characters", longName.c_str(), longName.substr(0, 255)},
      {"10000 characters with a marker", markedLongName.c_str(), markedLongName.substr(0, 255)},
  };
  const char* buffer = GetPrnNameInSession("");
  for (const Case& test : cases) {
    const char* result = GetPrnNameInSession(test.name);
    EXPECT_EQ(result, buffer) << test.why << ": always the library's one buffer";
    EXPECT_EQ(std::string(result), test.expected) << test.why;
  }
}

TEST_F(PrintingExports, RefusesBadInputAndPrintersThatDoNotExist) {
  const std::string stream = std::string("\x1B@text\0\xFF", 8);
  const std::string longName(10000, 'x');
  struct Case {
    const char* why;
    const char* name;
    const void* data;
    int32_t count;
  };
  const std::vector<Case> cases = {
      {"null name", nullptr, stream.data(), 8},
      {"empty name", "", stream.data(), 8},
      {"null data", "Zelvane Missing Printer", nullptr, 8},
      {"negative count", "Zelvane Missing Printer", stream.data(), -1},
      {"10000-character name", longName.c_str(), stream.data(), 8},
      {"missing printer", "Zelvane Missing Printer", stream.data(), 8},
      {"missing printer, empty stream", "Zelvane Missing Printer", nullptr, 0},
      {"missing printer of a session", "Zelvane Missing (redirected 3)", stream.data(), 8},
  };
  for (const Case& test : cases) {
    EXPECT_EQ(PrnRawData(test.name, test.data, test.count), 0) << test.why;
  }
}

}  // namespace
