// Who may start a run while another runs, what a refusal leaves, and which runs take
// an article line from the host: the run control over two jobs of its own.
#include "host/run_control.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "jobs/host_link.h"
#include "jobs/logic_scaner.h"
#include "jobs/run_modes.h"
#include "platform/threads.h"
#include "serial/veduvezid.h"
#include "support/job_test_support.h"

namespace zelvane {
namespace {

// A device whose run, in any mode, goes on until the host breaks it or the test ends
// it; it counts its opens and the article lines that reach it from the host, and its
// close can be held.
class RunsUntilBroken final : public CLogicScaner {
 public:
  RunsUntilBroken() {
    SetSleepFunction([](unsigned) { platform::SleepMs(1); });
  }
  ~RunsUntilBroken() override { StopAndWait(10000); }

  std::string ErrorText(int) override { return {}; }
  int OpenDevice(int, const RunRequest*) override {
    ++opens;
    return 1;
  }
  int ReadCode(int, char* text) override {
    text[0] = '\0';
    return 0;
  }
  int CloseDevice(int) override {
    closing = true;
    while (holdClose) platform::SleepMs(1);
    return 1;
  }
  int ReadCollector(int, RecordCallback) override { return UntilBroken(); }
  int LoadCollector(int, void*, int, int, int) override { return UntilBroken(); }
  int LoadHostRecord(HostLineRecord*) override {
    ++hostRecords;
    return 1;
  }

  std::atomic<int> opens{0};
  std::atomic<int> hostRecords{0};
  std::atomic<bool> endNow{false};
  std::atomic<bool> holdClose{false};
  std::atomic<bool> closing{false};

 private:
  int UntilBroken() {
    while (IsBreakRequested() == 0 && !endNow) platform::SleepMs(1);
    return 1;
  }
};

void ZELVANE_CALL RunningRecords(HostLineRecord*) {}
void ZELVANE_CALL LaterRecords(HostLineRecord*) {}

constexpr int kScanner = 402;
constexpr int kCollector = 500;
constexpr int kNone = 0;

class RunControlTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(control.Create(nullptr), 1); }
  void TearDown() override {
    control.Break();
    EXPECT_TRUE(testing::WaitUntilIdle(scanner));
    EXPECT_TRUE(testing::WaitUntilIdle(collector));
  }

  int32_t StartRun(int code, int mode) {
    RunRequest request{};
    request.device = code;
    request.port = mode;  // tells the runs apart in the run state
    if (mode == run_mode::kReadLoop) return control.StartReadLoop(&request, nullptr);
    static HostLineRecord records[1];
    RunSetup setup;
    setup.mode = mode;
    setup.recordCallback =
        code == kCollector && mode == run_mode::kCollectorRead ? &RunningRecords : &LaterRecords;
    setup.loadArguments = {records, 1, 0, 0};
    return control.StartCollectorRun(&request, setup);
  }

  RunsUntilBroken scanner;
  RunsUntilBroken collector;
  const DeviceEntry devices[2] = {
      {400, 405, &scanner, "skaner", false, PollTiming::kEveryHalfSecond, RunOffer::kEveryExport},
      {500, 501, &collector, "kolektor", true, PollTiming::kEveryHalfSecond,
       RunOffer::kEveryExport},
  };
  CVeduvezid serial;
  HostLink link;
  RunControl control{devices, &scanner, serial, link, TheRunState()};
};

TEST_F(RunControlTest, CreateAttachesTheWindowAndClearsTheBreak) {
  control.Delete();
  serial.RequestBreak();
  EXPECT_TRUE(serial.IsBreakRequested());
  int window = 0;
  ASSERT_EQ(control.Create(&window), 1);
  EXPECT_FALSE(serial.IsBreakRequested());
  EXPECT_EQ(link.NotifyWindow(), &window);
}

TEST_F(RunControlTest, StartsAreDecidedByWhatRunsAndRefusalsLeaveTheRunAlone) {
  const std::string busy =
      "Trwa praca innego urz\xB9"
      "dzenia (skaner); najpierw przerwij j\xB9";
  const std::string itself =
      "Trwa ju\xBF praca tego urz\xB9"
      "dzenia (kolektor); najpierw przerwij j\xB9";
  struct Case {
    const char* what;
    int runningCode;  // kNone: nothing runs
    int runningMode;
    bool broken;  // or, for a collector read, its run is ending by itself
    int code;
    int mode;
    int32_t result;
    bool startsAnew;     // the selected job opens for a run of its own
    int32_t errorCode;   // what the error queries give afterwards
    std::string reason;  // their text, where the start was refused
  };
  const Case cases[] = {
      {"nothing runs", kNone, 0, false, kScanner, 1, 1, true, 0, ""},
      {"the same reading loop runs", kScanner, 1, false, 403, 1, 1, false, 0, ""},
      {"another device runs", kScanner, 1, false, kCollector, 2, 0, false, 999999, busy},
      {"the same collector reads", kCollector, 2, false, kCollector, 2, 0, false, 999999, itself},
      {"the same collector waits in mode 1", kCollector, 1, false, kCollector, 3, 0, false, 999999,
       itself},
      {"the same collector reads, then a loop", kCollector, 2, false, kCollector, 1, 0, false,
       999999, itself},
      {"another device was broken", kScanner, 1, true, kCollector, 2, 1, true, 0, ""},
      {"another device's run is closing", kCollector, 2, true, kScanner, 1, 1, true, 0, ""},
      {"a code that selects nothing", kNone, 0, false, 406, 1, 0, false, 999999, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RunsUntilBroken& selected = c.code == kCollector ? collector : scanner;
    std::thread releaseClose;
    if (c.runningCode != kNone) {
      ASSERT_EQ(StartRun(c.runningCode, c.runningMode), 1);
      if (c.broken && c.runningCode == kCollector) {
        // Past its notices, before its worker is gone: the start must wait for it.
        collector.holdClose = true;
        collector.endNow = true;
        while (!collector.closing) platform::SleepMs(1);
        releaseClose = std::thread([this] {
          platform::SleepMs(50);
          collector.holdClose = false;
        });
      } else if (c.broken) {
        control.Break();
      }
    }
    const int32_t port = TheRunState().PortNumber();
    const RecordCallback records = TheRunState().GetRecordCallback();
    const int opensBefore = selected.opens.load();

    EXPECT_EQ(StartRun(c.code, c.mode), c.result);
    EXPECT_EQ(selected.opens.load() - opensBefore, c.startsAnew ? 1 : 0);
    EXPECT_EQ(control.ErrorCode(), c.errorCode);
    EXPECT_EQ(control.ErrorText(), c.reason);
    if (!c.startsAnew) {
      // The run in progress kept its request, its callback and its own error.
      EXPECT_EQ(TheRunState().PortNumber(), port);
      EXPECT_EQ(TheRunState().GetRecordCallback(), records);
      if (c.runningCode != kNone) {
        EXPECT_EQ((c.runningCode == kCollector ? collector : scanner).GetErrorCode(), 0);
      }
    }
    if (releaseClose.joinable()) releaseClose.join();
    collector.endNow = false;
    control.Break();
    ASSERT_TRUE(testing::WaitUntilIdle(scanner));
    ASSERT_TRUE(testing::WaitUntilIdle(collector));
    collector.closing = false;
    scanner.SetError(0, "");
    collector.SetError(0, "");
  }
}

TEST_F(RunControlTest, OnlyAReadingLoopWithItsDeviceOpenTakesTheHostsLine) {
  HostLineRecord line{};
  struct Case {
    const char* what;
    int mode;        // 0: no run started
    bool ended;      // the run was broken and has ended
    int32_t result;  // of the offer
    int taken;
  };
  const Case cases[] = {
      {"a reading loop runs", 1, false, 1, 1},
      {"a collector read runs", 2, false, 1, 0},
      {"a collector load runs", 3, false, 1, 0},
      {"the reading loop has ended", 1, true, 1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    collector.hostRecords = 0;
    ASSERT_EQ(StartRun(kCollector, c.mode), 1);
    if (c.ended) {
      control.Break();
      ASSERT_TRUE(testing::WaitUntilIdle(collector));
    }
    EXPECT_EQ(control.OfferRecord(&line), c.result);
    EXPECT_EQ(control.OfferRecord(nullptr), 0);
    EXPECT_EQ(collector.hostRecords.load(), c.taken);
    control.Break();
    ASSERT_TRUE(testing::WaitUntilIdle(collector));
  }
  RunControl fresh{devices, &scanner, serial, link, TheRunState()};
  EXPECT_EQ(fresh.OfferRecord(&line), 0) << "without a create no job is current";
  EXPECT_EQ(fresh.ErrorCode(), 999999);
  EXPECT_EQ(fresh.ErrorText(), "Failed to create OLE ECR Control");
}

}  // namespace
}  // namespace zelvane
