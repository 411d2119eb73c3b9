#include "cas_scale_simulator.h"

#include <gtest/gtest.h>

#include <string>

#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using testing::MemoryLink;

const std::string kEnq(1, cas::kEnq);
const std::string kDc1(1, cas::kDc1);

// The bytes of a full reading as the PC receives them after DC1.
std::string ReadingBytes(const std::string& text, char check) {
  return std::string{cas::kSoh, cas::kStx} + text + check + std::string{cas::kEtx, cas::kEot};
}

TEST(CasBlockCheck, IsTheExclusiveOrOfTheAnswer) {
  EXPECT_EQ(BlockCheck("S  1.234kg"), '\x75');
  EXPECT_EQ(BlockCheck("U       kg"), '\x79');
  EXPECT_EQ(BlockCheck("S   2.50kg"), '\x66');
  EXPECT_EQ(AnswerBlock({"S   2.50kg"}), "\x02S   2.50kg\x66\x03");
}

class CasScaleOnLink : public ::testing::Test {
 protected:
  // One dialogue as the PC plays it: ENQ, then DC1 only after an ACK. Returns all
  // the scale sent.
  std::string Dialogue() {
    PcSends(kEnq);
    std::string received = link.PcTake();
    if (received == std::string(1, cas::kAck)) {
      PcSends(kDc1);
      received += link.PcTake();
    }
    return received;
  }

  void PcSends(const std::string& bytes) {
    for (const char byte : bytes) scale.Receive(byte);
  }

  MemoryLink link;
  CasScaleSimulator scale{link,
                          {CasAnswer{"S  1.234kg"}, CasRefusal{}, CasSilence{},
                           CasAnswer{"S  1.234kg", true}, CasAnswer{"S  1.23kg"}}};
};

TEST_F(CasScaleOnLink, ScriptPlaysOneStepPerDialogueAndStartsAgain) {
  const std::string ack(1, cas::kAck);
  EXPECT_EQ(Dialogue(), ack + ReadingBytes("S  1.234kg", '\x75'));
  EXPECT_EQ(Dialogue(), std::string(1, cas::kNak));
  EXPECT_EQ(Dialogue(), "");

  const std::string badCheck = Dialogue();
  ASSERT_EQ(badCheck.size(), 1u + 1u + 13u + 1u);
  EXPECT_EQ(badCheck.substr(3, 10), "S  1.234kg");
  EXPECT_NE(badCheck[13], '\x75');
  EXPECT_EQ(badCheck.substr(14), std::string({cas::kEtx, cas::kEot}));

  // A short answer goes out as it is, so that the PC's length check has work to do.
  EXPECT_EQ(Dialogue(), ack + ReadingBytes("S  1.23kg", BlockCheck("S  1.23kg")));
  EXPECT_EQ(Dialogue(), ack + ReadingBytes("S  1.234kg", '\x75'));
}

TEST_F(CasScaleOnLink, RequestIsAnsweredOnlyAfterAnAcknowledgedEnquiryAndOnce) {
  PcSends(kDc1);
  EXPECT_EQ(link.PcTake(), "");
  PcSends(kEnq + kDc1 + kDc1);
  EXPECT_EQ(link.PcTake(), std::string(1, cas::kAck) + ReadingBytes("S  1.234kg", '\x75'));
  PcSends(kEnq + kDc1);
  EXPECT_EQ(link.PcTake(), std::string(1, cas::kNak));
}

TEST_F(CasScaleOnLink, NewEnquiryDropsAnAnswerNotYetAskedFor) {
  PcSends(kEnq);  // acknowledged, answer "S  1.234kg" held
  PcSends(kEnq);  // refused: the held answer is gone
  link.PcTake();
  PcSends(kDc1);
  EXPECT_EQ(link.PcTake(), "");
}

TEST_F(CasScaleOnLink, OtherBytesAreIgnored) {
  PcSends(std::string("D\r\n\x06\x04", 5));
  EXPECT_EQ(link.PcTake(), "");
  EXPECT_EQ(Dialogue(), std::string(1, cas::kAck) + ReadingBytes("S  1.234kg", '\x75'));
}

TEST(CasScaleSimulator, WithoutScriptEnquiriesGetNoReply) {
  MemoryLink link;
  CasScaleSimulator scale(link, {});
  scale.Receive(cas::kEnq);
  scale.Receive(cas::kDc1);
  EXPECT_EQ(link.PcTake(), "");
}

}  // namespace
}  // namespace zelvane::devsim
