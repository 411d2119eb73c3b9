// The Radwag line protocol on a line whose far end the test plays.
#include "devices/scales/radwag.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/reading_record.h"
#include "devices/scales/scale_test_support.h"
#include "jobs/host_link.h"
#include "platform/threads.h"
#include "support/held_output.h"
#include "support/job_test_support.h"

namespace zelvane {
namespace {

using testing::HeldOutput;
using testing::Text;

std::vector<ReadingRecord> g_readings;

void ZELVANE_CALL RecordReading(void* reading) {
  g_readings.push_back(*static_cast<const ReadingRecord*>(reading));
}

class RadwagOnLine : public testing::OpenScaleTest<CRadwag> {
 protected:
  void SetUp() override {
    OpenScaleTest::SetUp();
    g_readings.clear();
  }

  std::string ReadLine() {
    CChrArr line;
    EXPECT_EQ(scale.ReadLine(line), 1);
    return Text(line);
  }

  // One WeighOnce against a scale whose answer (`ready` of it, then the rest) waits in
  // the port before the request has left it.
  int WeighWithAnswer(const std::string& ready, const std::string& late = "") {
    HeldOutput held(device.Port());
    EXPECT_TRUE(held.IsHolding());
    testing::DelayedCall answer(200, [&] {
      device.Write(ready);
      platform::SleepMs(50);
      held.Release();
    });
    const int weighed = scale.WeighOnce(&RecordReading);
    answer.Wait();
    if (!late.empty()) Send(late);
    return weighed;
  }
};

// A port that accepts only half of every write.
class HalfAcceptingSerial : public CVeduvezid {
 public:
  std::uint32_t Write(const void* buffer, std::uint32_t length, std::uint32_t* count,
                      platform::comm::Overlapped* overlapped, std::uint32_t waitMs) override {
    return CVeduvezid::Write(buffer, length / 2, count, overlapped, waitMs);
  }
};

TEST_F(RadwagOnLine, AFrameThePortTookOnlyInPartIsAShortWrite) {
  scale.Close();
  HalfAcceptingSerial halfAccepting;
  scale.SetComm(&halfAccepting);
  ASSERT_EQ(scale.Open(device.Port()), 1);
  EXPECT_EQ(scale.SendFrame("D\r\n"), 0);
  EXPECT_EQ(scale.GetError(), CRadwag::kShortWrite);
  EXPECT_EQ(device.Read(3, 300), "D");
  scale.Close();
  scale.SetComm(&serial);
}

TEST_F(RadwagOnLine, LineIsTakenOnceItsLineFeedArrivedAndDumpedWithItsTerminator) {
  RewindDumps(DumpKind::kTextLine);
  Send("S  12.345 kg  \r");
  EXPECT_EQ(ReadLine(), "");
  EXPECT_EQ(scale.GetError(), TE_TIMEOUT);
  Send("\n");
  EXPECT_EQ(ReadLine(), "S  12.345 kg  ");
  EXPECT_EQ(scale.GetError(), 0);
  EXPECT_EQ(Dump(DumpKind::kTextLine, 0), "S  12.345 kg  \r\n");
  EXPECT_EQ(ReadLine(), "");
}

TEST_F(RadwagOnLine, AnswerShorterThanTenBytesIsRefusedWithoutDump) {
  RewindDumps(DumpKind::kTextLine);
  Send("  1.25\r\n 12.500 kg\r\n");
  CChrArr line;
  EXPECT_EQ(scale.ReadAnswer(line), 0);
  EXPECT_EQ(Text(line), "");
  EXPECT_EQ(Dump(DumpKind::kTextLine, 0), std::nullopt);
  EXPECT_EQ(scale.ReadAnswer(line), 1);
  EXPECT_EQ(Text(line), " 12.500 kg");
  EXPECT_EQ(Dump(DumpKind::kTextLine, 0), " 12.500 kg\r\n");
  EXPECT_EQ(scale.ReadAnswer(line), 0);
  // A CR lost on the line must not cost the weight its last digit.
  Send("    12.505\n\r\n");
  EXPECT_EQ(scale.ReadAnswer(line), 1);
  EXPECT_EQ(Text(line), "    12.505");
}

class RadwagWeighing : public RadwagOnLine {
 protected:
  void SetUp() override {
    if (!HeldOutput::Available()) GTEST_SKIP() << "the line's output cannot be held here";
    RadwagOnLine::SetUp();
  }
};

TEST_F(RadwagWeighing, StableWeightIsDeliveredWithAnEmptyText) {
  testing::HostRecorder host;
  HostLink link;
  scale.SetHostLink(&link);
  link.SetStatusCallback(&testing::HostRecorder::OnStatus);
  RewindDumps(DumpKind::kSent);
  ASSERT_EQ(WeighWithAnswer(" 12.500 kg\r\n"), 1) << scale.GetError();
  ASSERT_EQ(g_readings.size(), 1u);
  EXPECT_EQ(g_readings[0].quantity, 12.5);
  EXPECT_EQ(g_readings[0].text[0], '\0');
  EXPECT_EQ(device.Read(3, 500), "D\r\n");
  EXPECT_EQ(Dump(DumpKind::kSent, 0), "D\r\n");
  EXPECT_EQ(host.Notices(), (std::vector<testing::ReceivedNotice>{{5, "", 100, 0}}));
}

TEST_F(RadwagWeighing, UnstableZeroAndShortAnswersDeliverNothing) {
  for (const char* answer : {"U12.500 kg\r\n", "N 12.500 kg\r\n", "  0.000 kg\r\n",
                             " -1.000 kg\r\n", "  1.25\r\n", "kg 12.500\r\n"}) {
    EXPECT_EQ(WeighWithAnswer(answer), 0) << answer;
  }
  EXPECT_TRUE(g_readings.empty());
}

TEST_F(RadwagWeighing, AnswerNotCompleteWhenTheRequestLeftIsLeftPending) {
  EXPECT_EQ(WeighWithAnswer(" 12.5", "00 kg\r\n"), 0);
  EXPECT_TRUE(g_readings.empty());
  EXPECT_EQ(serial.BytesAvailable(device.Port()), 12);
  // The next request starts with a flush.
  EXPECT_EQ(WeighWithAnswer(" 2.000 kg\r\n"), 1);
  ASSERT_EQ(g_readings.size(), 1u);
  EXPECT_EQ(g_readings[0].quantity, 2.0);
}

}  // namespace
}  // namespace zelvane
