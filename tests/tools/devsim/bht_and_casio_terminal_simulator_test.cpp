#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "bht_terminal_simulator.h"
#include "casio_terminal_simulator.h"
#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using testing::MemoryLink;

const std::string kEnq = "\x05";
const std::string kAck = "\x06";
const std::string kNak = "\x15";
const std::string kEot = "\x04";

// One step of the PC's side: a beat of the terminal's loop (`pc` empty) or bytes the PC
// sends, and what the terminal sends in answer.
struct Exchange {
  std::string pc;
  std::string terminal;
};

template <class Simulator>
void Converse(Simulator& terminal, MemoryLink& link, const std::vector<Exchange>& exchanges) {
  for (std::size_t i = 0; i < exchanges.size(); ++i) {
    if (exchanges[i].pc.empty()) terminal.Beat();
    for (const char byte : exchanges[i].pc) terminal.Receive(byte);
    EXPECT_EQ(link.PcTake(), exchanges[i].terminal) << "exchange " << i;
  }
}

TEST(BhtTerminal, BlocksCarryTheirLayoutAndCheckByte) {
  // The terminal's published example: STX "00001ABC" ETX has the check byte 0x72.
  EXPECT_EQ(BhtBlockWithCheck("\x02"
                              "00001ABC\x03"),
            "\x02"
            "00001ABC\x03\x72");
  const std::string header = BhtHeaderBlock(12);
  ASSERT_EQ(header.size(), 26u);
  EXPECT_EQ(header.substr(13, 5), "00012");
  EXPECT_EQ(BhtRecordBlock("5901234", "1.5"), BhtBlockWithCheck("\x02"
                                                                "5901234           1.5\x03"));
}

TEST(BhtTerminal, TransferPlaysItsFilesAndCuesWhereTheyStand) {
  MemoryLink link;
  BhtTerminalSimulator terminal(
      link, 0,
      {BhtCue::kStrayByte, BhtRecordStep{"A", "1"}, BhtCue::kWrongCheck, BhtRecordStep{"B", "2"},
       BhtCue::kNewFile, BhtCue::kLongBlock, BhtRecordStep{"C", "3"}, BhtCue::kStrayByte});
  std::string corrupted = BhtRecordBlock("B", "2");
  corrupted.back() = static_cast<char>(corrupted.back() ^ 0x5A);
  const std::string longBlock = BhtBlockWithCheck("\x02 C" + std::string(15, ' ') + "    3\x03");
  ASSERT_EQ(longBlock.size(), 25u);
  Converse(terminal, link,
           {{"", "?" + kEnq},
            {"", kEnq},
            {kAck, BhtHeaderBlock(2)},
            {"", ""},
            {kAck, BhtRecordBlock("A", "1")},
            {kAck, corrupted},
            {kNak, BhtRecordBlock("B", "2")},
            {kAck, kEot},
            {kAck, kEnq},
            {kAck, BhtHeaderBlock(1)},
            {kNak, BhtHeaderBlock(1)},
            {kAck, longBlock},
            {kAck, kEot},
            {kAck, "?"},
            {kAck, ""},
            {"", ""}});
}

TEST(BhtTerminal, SilenceStopsBeforeTheNextRecordOrTheEnd) {
  for (const bool atTheEnd : {false, true}) {
    MemoryLink link;
    std::vector<BhtStep> script{BhtRecordStep{"A", "1"}, BhtCue::kSilence};
    if (!atTheEnd) script.push_back(BhtRecordStep{"B", "1"});
    BhtTerminalSimulator terminal(link, 0, script);
    Converse(terminal, link,
             {{"", kEnq},
              {kAck, BhtHeaderBlock(atTheEnd ? 1 : 2)},
              {kAck, BhtRecordBlock("A", "1")},
              {kAck, ""},
              {kNak, ""}});
  }
}

TEST(CasioTerminal, RecordsGoAfterTheLinkWithTheirLengths) {
  EXPECT_EQ(CasioRecordFrame({"A", "1"}), "5:A:1\r");
  EXPECT_EQ(CasioRecordFrame({"ABC", "12.5"}), "10:ABC:12.5\r");
  EXPECT_EQ(CasioRecordFrame({"ABC", ""}), "6:ABC:\r");

  MemoryLink link;
  CasioTerminalSimulator terminal(
      link, 0, {CasioCue::kLateEtx, CasioRecordStep{"A", "1"}, CasioRecordStep{"ABC", "12.5"}});
  Converse(terminal, link,
           {{"", "?"},
            {"", "\x03"},
            {"", "?\x03"},
            {kAck,
             "-\x02"
             "5:A:1\r10:ABC:12.5\r!\x03"},
            {kAck, ""},
            {"", ""}});
}

TEST(CasioTerminal, CallsUntilAcknowledgedThenSendsEverythingAtOnce) {
  struct Case {
    const char* what;
    std::vector<CasioStep> script;
    std::string transfer;
  };
  const Case cases[] = {
      {"records",
       {CasioRecordStep{"A", "1"}, CasioRecordStep{"ABC", ""}},
       "-\x02"
       "5:A:1\r6:ABC:\r!\x03"},
      {"no records", {}, "!\x03"},
      {"silence before the second record",
       {CasioRecordStep{"A", "1"}, CasioCue::kSilence, CasioRecordStep{"B", "2"}},
       "-\x02"
       "5:A:1\r"},
  };
  for (const Case& c : cases) {
    MemoryLink link;
    CasioTerminalSimulator terminal(link, 0, c.script);
    Converse(terminal, link,
             {{"", "?\x03"}, {"", "?\x03"}, {kAck, c.transfer}, {"", ""}, {kAck, ""}, {"", ""}});
  }
}

}  // namespace
}  // namespace zelvane::devsim
