// The scale jobs on a line whose far end the test plays: the CAS AP-1 poll timing,
// arming and trace, and run mode 2 with its record adapter.
#include "devices/scales/scale_jobs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "devices/host_line.h"
#include "devices/reading_record.h"
#include "devices/scales/scale_test_support.h"
#include "jobs/host_link.h"
#include "platform/threads.h"
#include "support/cas_script.h"
#include "support/held_output.h"
#include "support/job_test_support.h"

namespace zelvane {
namespace {

using testing::CasNotReady;
using testing::CasReadings;
using testing::HostRecorder;
using testing::ScriptedResponder;
using Record = std::array<unsigned char, host_line::kSize>;

std::vector<Record> g_records;

void ZELVANE_CALL RecordHostLine(HostLineRecord* record) {
  Record bytes;
  std::memcpy(bytes.data(), record, bytes.size());
  g_records.push_back(bytes);
}

std::string CodeOf(const Record& record) {
  const char* code = reinterpret_cast<const char*>(record.data() + host_line::kCodeOffset);
  return std::string(code, strnlen(code, host_line::kCodeSize));
}

double QuantityOf(const Record& record) {
  double quantity = 0;
  std::memcpy(&quantity, record.data() + host_line::kQuantityOffset, sizeof quantity);
  return quantity;
}

// Every byte but the code and the quantity fields.
bool RestIsZero(const Record& record) {
  for (std::size_t i = 0; i < record.size(); ++i) {
    const bool inCode =
        i >= host_line::kCodeOffset && i < host_line::kCodeOffset + host_line::kCodeSize;
    const bool inQuantity =
        i >= host_line::kQuantityOffset && i < host_line::kQuantityOffset + sizeof(double);
    if (!inCode && !inQuantity && record[i] != 0) return false;
  }
  return true;
}

TEST(ScaleRecordAdapter, ReadingBecomesTheCodeAndQuantityOfAnOtherwiseEmptyRecord) {
  g_records.clear();
  ReadingRecord reading{};
  std::memcpy(reading.text, "5901234123457", 13);
  reading.quantity = 3.25;
  DeliverReadingToHost(&RecordHostLine, reading);

  // A text that fills its field without a NUL stays within it.
  std::fill(std::begin(reading.text), std::end(reading.text), 'A');
  DeliverReadingToHost(&RecordHostLine, reading);

  ASSERT_EQ(g_records.size(), 2u);
  EXPECT_EQ(CodeOf(g_records[0]), "5901234123457");
  EXPECT_EQ(QuantityOf(g_records[0]), 3.25);
  EXPECT_TRUE(RestIsZero(g_records[0]));
  EXPECT_EQ(CodeOf(g_records[1]), std::string(ReadingRecord::kTextSize, 'A'));

  DeliverReadingToHost(nullptr, reading);
  EXPECT_EQ(g_records.size(), 2u);
}

// A scale job bound to the test's serial object, with the recorder as the host.
template <class Job>
class ScaleJobOnLine : public testing::ScaleLineTest {
 protected:
  void SetUp() override {
    ScaleLineTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    job.SetComm(&serial);
    job.SetHostLink(&link);
    link.SetStatusCallback(&HostRecorder::OnStatus);
    g_records.clear();
  }
  void TearDown() override {
    job.Break();
    EXPECT_TRUE(testing::WaitUntilIdle(job));
  }

  // Runs the job in a run mode until it ends by itself.
  int Run(int deviceCode, int runMode) {
    testing::PrepareRun(deviceCode, device.Port(), true);
    TheRunState().SetRunMode(runMode);
    TheRunState().SetRecordCallback(&RecordHostLine);
    const int started = job.Start(nullptr, 0);
    EXPECT_TRUE(testing::WaitUntilIdle(job));
    return started;
  }

  HostLink link;
  HostRecorder host;
  Job job;
};

// The CAS AP-1 job with its pauses counted instead of slept; the job is broken on
// the pause that the test names.
class CasJobOnLine : public ScaleJobOnLine<CAP_SCALE> {
 protected:
  void SetUp() override {
    ScaleJobOnLine::SetUp();
    g_counting = this;
    job.SetSleepFunction(&CountSleep);
  }
  void TearDown() override {
    ScaleJobOnLine::TearDown();
    g_counting = nullptr;
  }

  static void CountSleep(unsigned milliseconds) {
    g_counting->sleeps.push_back(milliseconds);
    if (g_counting->sleeps.size() == g_counting->breakAtSleep) g_counting->job.Break();
  }

  std::string TraceFile() const {
    for (const std::string& name : temp.Names()) {
      if (name.rfind("QXDATA_", 0) == 0) return temp.Read(name).value_or("unreadable");
    }
    return "none";
  }

  std::vector<unsigned> sleeps;
  std::size_t breakAtSleep = 0;

 private:
  static inline CasJobOnLine* g_counting = nullptr;
};

TEST_F(CasJobOnLine, PollTriesThreeTimesAndPausesLongerAfterAReading) {
  ScriptedResponder scale(device, CasReadings({"S  0.000kg", "S  1.000kg"}), CasNotReady());
  breakAtSleep = 5;
  ASSERT_EQ(Run(602, 1), 1);

  EXPECT_EQ(host.Codes(), (std::vector<std::string>{"2700000010000"}));
  // Pass 1: zero, then the weight at the second try. Pass 2: three refusals.
  EXPECT_EQ(sleeps, (std::vector<unsigned>{100, 300, 100, 100, 300}));
  EXPECT_EQ(scale.StepsPlayed(), 4u);
  EXPECT_EQ(scale.IdleAnswers(), 3u);
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 7, 11}));
}

TEST_F(CasJobOnLine, RunIsTracedFromOpenToClose) {
  ScriptedResponder scale(device, CasReadings({"U       kg", "S  2.500kg"}), CasNotReady());
  breakAtSleep = 2;
  ASSERT_EQ(Run(602, 1), 1);
  EXPECT_EQ(TraceFile(), " -> U       kg\r\n -> S  2.500kg\r\n -> 2700000025000\r\n");
}

TEST_F(CasJobOnLine, TraceIsOpenedEvenWhenThePortIsNotAndClosedWithTheDevice) {
  EXPECT_EQ(job.OpenDevice(testing::PtyDevice::MissingPort(), nullptr), 0);
  EXPECT_EQ(job.GetErrorCode(), TE_NOPORT);
  job.GetProtocol().TraceLine("open", TraceLog::kFromDevice);
  job.CloseDevice(0);
  job.GetProtocol().TraceLine("closed", TraceLog::kFromDevice);
  EXPECT_EQ(TraceFile(), " -> open\r\n");
}

TEST_F(CasJobOnLine, OpenForgetsTheArmingAndTheLastAnswer) {
  char text[CLogicScaner::kCodeTextSize] = {};
  {
    ScriptedResponder scale(device, CasReadings({"S  0.000kg"}));
    ASSERT_EQ(job.OpenDevice(device.Port(), nullptr), 1);
    EXPECT_EQ(job.ReadCode(device.Port(), text), 0);
    EXPECT_TRUE(job.IsArmed());
    EXPECT_EQ(testing::Text(job.GetProtocol().LastAnswer()), "S  0.000kg");
    job.CloseDevice(device.Port());
  }
  ScriptedResponder scale(device, CasReadings({"S  1.000kg"}));
  ASSERT_EQ(job.OpenDevice(device.Port(), nullptr), 1);
  EXPECT_FALSE(job.IsArmed());
  EXPECT_TRUE(job.GetProtocol().LastAnswer().IsEmpty());
  EXPECT_EQ(job.ReadCode(device.Port(), text), 0);
  EXPECT_STREQ(text, "");
  job.CloseDevice(device.Port());
}

TEST_F(CasJobOnLine, FailedExchangeForgetsTheLastAnswerButKeepsTheJobError) {
  ScriptedResponder scale(device, CasReadings({"U  0.000kg"}), CasNotReady());
  ASSERT_EQ(job.OpenDevice(device.Port(), nullptr), 1);
  char text[CLogicScaner::kCodeTextSize] = {};
  EXPECT_EQ(job.ReadCode(device.Port(), text), 0);
  EXPECT_FALSE(job.GetProtocol().LastAnswer().IsEmpty());
  EXPECT_EQ(job.ReadCode(device.Port(), text), 0);
  EXPECT_TRUE(job.GetProtocol().LastAnswer().IsEmpty());
  EXPECT_EQ(job.GetErrorCode(), 0);
  job.CloseDevice(device.Port());
}

TEST_F(CasJobOnLine, RunModeTwoReadsNothing) {
  ScriptedResponder scale(device, {});
  ASSERT_EQ(Run(602, 2), 1);
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 2, 4, 9, 7, 11}));
  EXPECT_TRUE(g_records.empty());
  EXPECT_EQ(scale.Received(), "");
}

class RadwagJobOnLine : public ScaleJobOnLine<CRA_SCALE> {};

TEST_F(RadwagJobOnLine, RunModeTwoHandsTheWeightToTheHostAsARecord) {
  if (!testing::HeldOutput::Available()) GTEST_SKIP() << "the line's output cannot be held here";
  // The scale's answer is in the port before the request has left it.
  testing::HeldOutput held(device.Port());
  ASSERT_TRUE(held.IsHolding());
  testing::DelayedCall scale(300, [&] {
    device.Write(" 12.500 kg\r\n");
    platform::SleepMs(50);
    held.Release();
  });
  ASSERT_EQ(Run(601, 2), 1);

  ASSERT_EQ(g_records.size(), 1u);
  EXPECT_EQ(CodeOf(g_records[0]), "");
  EXPECT_EQ(QuantityOf(g_records[0]), 12.5);
  EXPECT_TRUE(RestIsZero(g_records[0]));
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 2, 4, 9, 5, 10, 11}));
  EXPECT_EQ(job.GetErrorCode(), 0);
}

TEST_F(RadwagJobOnLine, RunModeTwoWithoutAnAnswerFailsWithoutAnError) {
  ASSERT_EQ(Run(601, 2), 1);
  EXPECT_TRUE(g_records.empty());
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 2, 4, 9, 7, 11}));
  EXPECT_EQ(job.GetErrorCode(), 0);
}

}  // namespace
}  // namespace zelvane
