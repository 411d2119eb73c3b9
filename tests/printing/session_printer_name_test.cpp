#include "printing/session_printer_name.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "printing/recording_spooler.h"

namespace zelvane::printing {
namespace {

using testing::RecordingSpooler;

struct Mapping {
  const char* why;
  std::string stored;
  std::optional<std::vector<std::string>> printers;  // nothing: the listing fails
  std::string expected;
  int listings;
};

TEST(PrinterNameInSession, MapsAStoredNameToTheSameClientsPrinterOfThisSession) {
  const std::vector<std::string> office = {
      "Microsoft Print to PDF",
      "Brother HL-1110 (redirected 17)",
      "HP Universal Printing PCL 5 (przekierowana sesja: 12)",
      "Kyocera ECOSYS P2040dn (umgeleitet 103)",
      "Epson LX-350 z sesji 7",
      "Zebra GK420 (Sesja 11)",
      "Canon LBP in session 21",
      "Lexmark session 9",
      "Lexmark session 3 (sesji 8)",
      "Oki (redirected 5)",
      "Oki (redirected 3)",
      "Star TSP (redir",
  };
  const std::string longName(300, 'x');
  const std::vector<Mapping> cases = {
      {"redirected", "Brother HL-1110 (redirected 2)", office, "Brother HL-1110 (redirected 17)",
       1},
      {"Polish redirection", "HP Universal Printing PCL 5 (przekierowana sesja: 2)", office,
       "HP Universal Printing PCL 5 (przekierowana sesja: 12)", 1},
      {"German redirection", "Kyocera ECOSYS P2040dn (umgeleitet 2)", office,
       "Kyocera ECOSYS P2040dn (umgeleitet 103)", 1},
      {"sesji", "Epson LX-350 z sesji 3", office, "Epson LX-350 z sesji 7", 1},
      {"Sesja", "Zebra GK420 (Sesja 4)", office, "Zebra GK420 (Sesja 11)", 1},
      {"session", "Canon LBP in session 2", office, "Canon LBP in session 21", 1},
      {"sesji comes before session in the marker order, wherever they stand",
       "Lexmark session 3 (sesji 4)", office, "Lexmark session 3 (sesji 8)", 1},
      {"the first match wins over a later exact match", "Oki (redirected 3)", office,
       "Oki (redirected 5)", 1},
      {"a printer shorter than the prefix does not match", "Star TSP (redirected 2)", office,
       "Star TSP (redirected 2)", 1},
      {"no marker: used as it is, no listing", "Brother HL-1110", office, "Brother HL-1110", 0},
      {"markers are case-sensitive", "Brother HL-1110 (Redirected 2)", office,
       "Brother HL-1110 (Redirected 2)", 0},
      {"no printer of that client", "Ricoh (redirected 2)", office, "Ricoh (redirected 2)", 1},
      {"listing fails", "Brother HL-1110 (redirected 2)", std::nullopt,
       "Brother HL-1110 (redirected 2)", 1},
      {"a long name is cut", longName, office, longName.substr(0, 255), 0},
      {"a long printer name is cut", "Oce (redirected 2)",
       std::vector<std::string>{"Oce (redirected 4) " + longName},
       ("Oce (redirected 4) " + longName).substr(0, 255), 1},
  };
  for (const Mapping& mapping : cases) {
    RecordingSpooler spooler(mapping.printers);
    EXPECT_EQ(PrinterNameInSession(mapping.stored, spooler), mapping.expected) << mapping.why;
    EXPECT_EQ(spooler.listings, mapping.listings) << mapping.why;
  }
}

TEST(SessionPrefixLength, EndsAfterTheFirstMarkerOfTheTable) {
  struct Prefix {
    std::string name;
    std::optional<std::size_t> length;
  };
  const std::vector<Prefix> cases = {
      {"A sesji 1", 7},
      {"A Sesja 1", 7},
      {"A session 1", 9},
      {"A (redirected 1)", 13},
      {"A (przekierowana sesja: 1)", 23},
      {"A (umgeleitet 1)", 13},
      {"(redirected 1) session 2", 22},  // session is earlier in the table
      {"A (umgeleitet 1) sesji 2", 22},  // appended markers come last
      {"A SESJI 1", std::nullopt},
      {"", std::nullopt},
  };
  for (const Prefix& prefix : cases) {
    EXPECT_EQ(SessionPrefixLength(prefix.name), prefix.length) << prefix.name;
  }
}

}  // namespace
}  // namespace zelvane::printing
