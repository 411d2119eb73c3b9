#include "jobs/logic_scaner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffers/cp1250_literal.h"
#include "jobs/host_link.h"
#include "serial/veduvezid.h"
#include "support/job_test_support.h"

namespace zelvane {
namespace {

using testing::HostRecorder;
using testing::ReceivedNotice;
using testing::ScriptedDeviceJob;
using Trace = std::vector<std::string>;

class DeviceJobRun : public ::testing::Test {
 protected:
  // As if an earlier run had left the recorder as the status callback, so that notice
  // 1 (sent before the run installs its own callback) is seen too.
  void SetUp() override {
    job.SetComm(&serial);
    job.SetHostLink(&link);
    link.SetStatusCallback(&HostRecorder::OnStatus);
  }

  // Starts a run of the given device with the recorder's callbacks and waits for it.
  int RunDevice(int deviceCode, bool withStatusCallback = true) {
    testing::PrepareRun(deviceCode, 3, withStatusCallback);
    const int started = job.Start(nullptr, 0);
    EXPECT_TRUE(testing::WaitUntilIdle(job));
    return started;
  }

  CVeduvezid serial;
  HostLink link;
  HostRecorder host;
  ScriptedDeviceJob job;
};

TEST_F(DeviceJobRun, ScannerPollsEveryHalfSecondAndDeliversNonEmptyCodes) {
  job.ScriptReads({{1, "12345"}, {1, ""}, {1, "ABC"}});
  ASSERT_EQ(RunDevice(402), 1);

  EXPECT_EQ(host.Codes(), (std::vector<std::string>{"12345", "ABC"}));
  EXPECT_EQ(job.Trace(), (Trace{"open 3", "sleep 500", "read", "sleep 500", "read", "sleep 500",
                                "read", "close 3"}));
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(DeviceJobRun, AnExceptionInAPollStillReportsAndClosesAndTheNextRunStarts) {
  job.ScriptReads({{1, "1"}, {ScriptedDeviceJob::kThrows, ""}});
  ASSERT_EQ(RunDevice(402), 1);
  EXPECT_EQ(job.Trace().back(), "close 3");
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 7, 11}));
  EXPECT_EQ(job.GetErrorCode(), CLogicScaner::kSystemFailure);

  job.ScriptReads({{1, "again"}});
  ASSERT_EQ(RunDevice(402), 1);
  EXPECT_EQ(host.Codes(), (std::vector<std::string>{"1", "again"}));
}

TEST_F(DeviceJobRun, EmptyReadingCountsAsSuccessWithoutCallingTheHost) {
  job.ScriptReads({{1, ""}});
  ASSERT_EQ(RunDevice(402), 1);
  EXPECT_TRUE(host.Codes().empty());
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

TEST_F(DeviceJobRun, LastFailedPollReportsTheJobError) {
  job.ScriptReads({{1, "1"}, {0, ""}});
  job.OnOpen([](ScriptedDeviceJob& self) { self.SetError(23, "bad answer"); });
  ASSERT_EQ(RunDevice(400), 1);
  ASSERT_EQ(host.Notices().size(), 3u);
  EXPECT_EQ(host.Notices()[1], (ReceivedNotice{7, "bad answer", 0, 23}));
  EXPECT_EQ(host.Notices()[2], (ReceivedNotice{11, "", 0, 0}));
}

TEST_F(DeviceJobRun, CasScaleRetriesTwiceThenPausesAndPausesAfterASuccess) {
  // Pass 1: fail, then success after one retry. Pass 2: never answers.
  job.ScriptReads({{0, ""}, {1, "2700000012340"}, {0, ""}, {0, ""}, {0, ""}});
  ASSERT_EQ(RunDevice(602), 1);

  EXPECT_EQ(host.Codes(), (std::vector<std::string>{"2700000012340"}));
  EXPECT_EQ(job.Trace(), (Trace{"open 3", "read", "sleep 100", "read", "sleep 300", "read",
                                "sleep 100", "read", "sleep 100", "read", "sleep 300", "close 3"}));
}

TEST_F(DeviceJobRun, BreakBeforeTheLoopReadsNothingAndReportsFailure) {
  job.OnOpen([](ScriptedDeviceJob& self) { self.Break(); });
  ASSERT_EQ(RunDevice(402), 1);
  EXPECT_EQ(job.Trace(), (Trace{"open 3", "close 3"}));
  EXPECT_EQ(host.Notices(),
            (std::vector<ReceivedNotice>{{1, "", 0, 0}, {7, "", 0, 0}, {11, "", 0, 0}}));
}

TEST_F(DeviceJobRun, PortFailureOnOpenGivesTwoPortNotices) {
  job.SetOpenResult(0, -3, "not open");
  EXPECT_EQ(RunDevice(402), 0);
  EXPECT_EQ(host.Notices(), (std::vector<ReceivedNotice>{
                                {1, "", 0, 0}, {8, "not open", 0, -3}, {8, "not open", 0, -3}}));
  EXPECT_EQ(job.Trace(), (Trace{"open 3"}));
  EXPECT_EQ(job.GetErrorCode(), -3);
}

TEST_F(DeviceJobRun, DeviceFailureOnOpenGivesOpenFailedThenPortNotice) {
  for (int code : {-5, 0, 23}) {
    HostRecorder recorder;
    job.SetOpenResult(0, code, "failed");
    EXPECT_EQ(RunDevice(402), 0);
    EXPECT_EQ(recorder.NoticeCodes(), (std::vector<int>{1, 6, 8})) << code;
  }
}

TEST_F(DeviceJobRun, OpenResultOtherThanZeroStillStartsTheWorker) {
  // Only a result of 0 refuses; the device then counts as not opened.
  job.SetOpenResult(2, 0, "");
  job.ScriptReads({{1, ""}});
  EXPECT_EQ(RunDevice(402), 1);
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{1, 6, 10, 8}));
}

TEST_F(DeviceJobRun, WithoutSerialObjectTheOpenFailsWithSystemError) {
  job.SetComm(nullptr);
  EXPECT_EQ(RunDevice(402), 0);
  EXPECT_EQ(job.GetErrorCode(), 999999);
  EXPECT_EQ(job.GetErrorMessage(),
            Cp1250Literal{u8"System drukarek fiskalnych - błąd systemu !"}.c_str());
  EXPECT_TRUE(job.Trace().empty());
}

TEST_F(DeviceJobRun, FirstNoticeStillReachesThePreviousRunsCallback) {
  link.SetStatusCallback(nullptr);
  job.ScriptReads({{1, ""}});
  ASSERT_EQ(RunDevice(500, true), 1);
  EXPECT_EQ(host.NoticeCodes(), (std::vector<int>{10, 11}));

  HostRecorder later;
  job.ScriptReads({{1, ""}});
  ASSERT_EQ(RunDevice(402, false), 1);
  EXPECT_EQ(later.NoticeCodes(), (std::vector<int>{1}));
}

TEST_F(DeviceJobRun, OverlongReadingIsCutToTheBuffer) {
  job.ScriptReads({{1, std::string(40, 'x')}});
  ASSERT_EQ(RunDevice(402), 1);
  ASSERT_EQ(host.Codes().size(), 1u);
  EXPECT_EQ(host.Codes()[0], std::string(31, 'x'));
}

TEST_F(DeviceJobRun, CollectorModesAnnounceTheirTitle) {
  const std::string wait = Cp1250Literal{u8"Proszę czekać..."}.c_str();
  TheRunState().SetRecordCallback(nullptr);
  testing::PrepareRun(500, 4, true);
  TheRunState().SetRunMode(2);
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(host.Notices(), (std::vector<ReceivedNotice>{{1, "", 0, 0},
                                                         {2, "Odczyt danych z kolektora", 0, 0},
                                                         {4, wait, 0, 0},
                                                         {10, "", 0, 0},
                                                         {11, "", 0, 0}}));
  EXPECT_EQ(job.Trace(), (Trace{"open 4", "read collector 4", "close 4"}));

  HostRecorder loading;
  int records = 0;
  testing::PrepareRun(500, 4, true);
  TheRunState().SetRunMode(3);
  TheRunState().SetLoadArguments({&records, 2, 0, 0});
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(loading.NoticeCodes(), (std::vector<int>{1, 2, 4, 7, 11}));
  EXPECT_EQ(loading.Notices()[1].text, Cp1250Literal{u8"Ładowanie danych do kolektora"}.c_str());
}

}  // namespace
}  // namespace zelvane
