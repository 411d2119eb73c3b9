#include "cipherlab_terminal_simulator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using testing::MemoryLink;

struct Exchange {
  std::string pc;        // what the PC sends
  std::string terminal;  // what the terminal answers
};

// Plays the PC's side of a conversation byte by byte, as the simulator loop hands
// bytes over, and compares every answer.
void Converse(CipherLabTerminalSimulator& terminal, MemoryLink& link,
              const std::vector<Exchange>& exchanges) {
  for (const Exchange& exchange : exchanges) {
    for (const char byte : exchange.pc) terminal.Receive(byte);
    EXPECT_EQ(link.PcTake(), exchange.terminal) << "after " << exchange.pc;
  }
}

TEST(CipherLabTerminal, FrameIsSequenceTextSumHighFirstAndCr) {
  EXPECT_EQ(TerminalFrame(3, "A,1,1"), std::string("\x03"
                                                   "A,1,1\x00\xFB\r",
                                                   9));
  std::string text;
  EXPECT_TRUE(TakeUploadedFrame(std::string("A,1,1\x00\xFB\r", 8), text));
  EXPECT_EQ(text, "A,1,1");
  EXPECT_FALSE(TakeUploadedFrame(std::string("A,1,1\xFB\x00\r", 8), text));
}

TEST(CipherLabTerminal, DownloadPlaysItsCuesOnTheRecordsThatFollowThem) {
  MemoryLink link;
  CipherLabTerminalSimulator terminal(
      link, 0,
      {TerminalCue::kNakCommand, TerminalRecord{"A,1,1"}, TerminalCue::kRepeatSequence,
       TerminalRecord{"B,2,2"}, TerminalCue::kWrongCheck, TerminalRecord{"C,3,3"},
       TerminalCue::kNoCr, TerminalRecord{"D,4,4"}, TerminalCue::kLoneOver});
  std::string wrongCheck = TerminalFrame(2, "C,3,3");
  wrongCheck[wrongCheck.size() - 2] ^= 0x01;
  const std::string noCr = TerminalFrame(3, "D,4,4");
  Converse(terminal, link,
           {{"READ\r", "NAK\r"},
            {"READ\r", "ACK\r" + TerminalFrame(0, "A,1,1")},
            {"ACK\r", TerminalFrame(1, "B,2,2")},
            {"ACK\r", TerminalFrame(1, "B,2,2") + wrongCheck},
            {"NAK\r", TerminalFrame(2, "C,3,3")},
            {"ACK\r", noCr.substr(0, noCr.size() - 1)},
            {"NAK\r", noCr},
            {"ACK\r", "OVER\r"},
            {"ACK\r", ""}});
}

TEST(CipherLabTerminal, SilentTerminalAnswersNothingMore) {
  MemoryLink link;
  CipherLabTerminalSimulator terminal(
      link, 0, {TerminalRecord{"A,1,1"}, TerminalCue::kSilence, TerminalRecord{"B,2,2"}});
  Converse(terminal, link,
           {{"READ\r", "ACK\r" + TerminalFrame(0, "A,1,1")}, {"ACK\r", ""}, {"NAK\r", ""}});
}

TEST(CipherLabTerminal, UploadKeepsTheRecordsItAcknowledged) {
  MemoryLink link;
  std::vector<std::string> heard;
  CipherLabTerminalSimulator terminal(link, 0, {TerminalCue::kNakRecord},
                                      [&heard](const std::string& text) { heard.push_back(text); });
  const std::string frame = std::string("A,1,1\x00\xFB\r", 8);
  Converse(terminal, link,
           {{"CIPHER\r", "ACK\r"},
            {frame, "NAK\r"},
            {frame, "ACK\r"},
            {"A,1,1\x01\xFB\r", "NAK\r"},
            {"OVER\rOVER\r", ""},
            {frame, ""}});
  EXPECT_EQ(terminal.Uploaded(), std::vector<std::string>{"A,1,1"});
  EXPECT_EQ(heard, terminal.Uploaded());
}

TEST(CipherLabTerminal, PacedLineTakesTenBitTimesPerByte) {
  MemoryLink link;
  PacedLink line(link, 9600);
  EXPECT_EQ(PacedLink::WireTime(96, 9600), std::chrono::milliseconds(100));
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(line.Write(std::string(48, 'x')));
  // 50 ms on the wire; some systems' sleeps end a little early by the steady clock.
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(45));
  EXPECT_EQ(link.PcTake(), std::string(48, 'x'));
}

}  // namespace
}  // namespace zelvane::devsim
