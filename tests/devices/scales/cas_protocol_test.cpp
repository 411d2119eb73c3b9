// The CAS AP-1 dialogue against a scale played by a scripted responder.
#include "devices/scales/cas_ap1.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/scales/cas_frames.h"
#include "devices/scales/scale_test_support.h"
#include "platform/clock.h"
#include "support/cas_script.h"

namespace zelvane {
namespace {

using testing::CasBlock;
using testing::CasReading;
using testing::ScriptedResponder;
using testing::Text;
using Steps = std::vector<ScriptedResponder::Step>;

class CasOnLine : public testing::OpenScaleTest<CCasAP_1> {
 protected:
  // One ReadWeight against the script; the answer it left.
  int ReadWeight(const Steps& script) {
    device.Read(4096, 20);  // what an earlier exchange left unread
    ScriptedResponder responder(device, script);
    const int read = scale.ReadWeight(m_answer);
    EXPECT_TRUE(responder.Mismatches().empty()) << responder.Mismatches().front();
    m_received = responder.Received();
    return read;
  }

  std::string Answer() const { return Text(m_answer); }
  // What the scale received during the last ReadWeight.
  const std::string& Received() const { return m_received; }

 private:
  CChrArr m_answer;
  std::string m_received;
};

TEST_F(CasOnLine, WholeDialogueGivesTheTenAnswerCharactersAndDumpsEveryStep) {
  for (DumpKind kind : {DumpKind::kSent, DumpKind::kReceivedBlock, DumpKind::kTerminatedBlock}) {
    RewindDumps(kind);
  }
  const std::string block = CasBlock("S  1.234kg");
  ASSERT_EQ(ReadWeight(CasReading(block)), 1) << scale.GetError();
  EXPECT_EQ(Answer(), "S  1.234kg");
  EXPECT_EQ(Received(), "\x05\x11");
  EXPECT_EQ(Dump(DumpKind::kSent, 0), "\x05");
  EXPECT_EQ(Dump(DumpKind::kSent, 1), "\x11");
  EXPECT_EQ(Dump(DumpKind::kReceivedBlock, 0), "\x06");
  EXPECT_EQ(Dump(DumpKind::kReceivedBlock, 1), "\x01");
  EXPECT_EQ(Dump(DumpKind::kTerminatedBlock, 0), block);
  EXPECT_EQ(Dump(DumpKind::kReceivedBlock, 2), "\x04");
}

TEST_F(CasOnLine, NakToTheEnquiryEndsTheDialogueBeforeDc1) {
  EXPECT_EQ(ReadWeight({testing::CasNotReady()}), 0);
  serial.Pause(0.1);
  EXPECT_EQ(Received() + device.Read(1, 100), "\x05") << "DC1 must not follow a NAK";
  EXPECT_EQ(scale.GetError(), 0);
}

TEST_F(CasOnLine, CheckCharacterIsVerifiedAsTheBuildSays) {
  const int expected = BuiltInBlockCheck() == BlockCheck::kVerified ? 0 : 1;
  EXPECT_EQ(ReadWeight(CasReading(CasBlock("S  1.234kg", 'x'))), expected);
  EXPECT_EQ(Answer(), expected == 1 ? "S  1.234kg" : "");
}

TEST_F(CasOnLine, BlocksOfOtherLengthsAreRefusedEvenWithEot) {
  EXPECT_EQ(ReadWeight(CasReading(CasBlock("S 1.234kg"))), 0);
  EXPECT_EQ(ReadWeight(CasReading(CasBlock("S  12.345kg"))), 0);
  EXPECT_EQ(ReadWeight(CasReading("\x02\x03")), 0);
}

TEST_F(CasOnLine, WrongControlBytesEndTheDialogue) {
  const std::string block = CasBlock("S  1.234kg");
  EXPECT_EQ(ReadWeight({{"\x05", "\x06\x06"}}), 0) << "two bytes for ACK";
  EXPECT_EQ(ReadWeight({{"\x05", "\x06"}, {"\x11", "\x02" + block + "\x04"}}), 0) << "no SOH";
  EXPECT_EQ(ReadWeight({{"\x05", "\x06"}, {"\x11", "\x01" + block + "\x15"}}), 0) << "no EOT";
  EXPECT_EQ(ReadWeight({{"\x05", "\x06"}, {"\x11", "\x01\x05" + block + "\x04"}}), 0)
      << "garbage ahead of STX";
}

TEST_F(CasOnLine, BlockLongerThan256BytesIsDroppedWithOverflow) {
  const std::uint64_t start = platform::TickMilliseconds();
  EXPECT_EQ(ReadWeight({{"\x05", "\x06"}, {"\x11", "\x01\x02" + std::string(300, '9')}}), 0);
  EXPECT_EQ(scale.GetError(), TE_OVERFLOW);
  EXPECT_LT(platform::TickMilliseconds() - start, 4000u) << "the overflow is not a time-out";
}

TEST_F(CasOnLine, BreakEndsAScaleThatStoppedInTheMiddleOfTheDialogue) {
  ScriptedResponder responder(device, {{"\x05", "\x06"}, {"\x11", "\x01\x02S  1.2"}});
  testing::DelayedCall hostBreak(300, [&] { serial.RequestBreak(); });
  const std::uint64_t start = platform::TickMilliseconds();
  CChrArr answer;
  EXPECT_EQ(scale.ReadWeight(answer), 0);
  EXPECT_EQ(scale.GetError(), TE_BREAK);
  EXPECT_LT(platform::TickMilliseconds() - start, 2000u);
}

}  // namespace
}  // namespace zelvane
