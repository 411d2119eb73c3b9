#include "jobs/thread_job.h"

#include <gtest/gtest.h>

#include <atomic>

#include "platform/threads.h"
#include "support/job_test_support.h"

namespace zelvane {
namespace {

// A job whose run lasts until the test releases it, and whose Prepare answers as told.
class GatedJob : public CThreadJob {
 public:
  ~GatedJob() override {
    Release();
    testing::WaitUntilIdle(*this);
  }

  void Release() { m_released.store(true); }

  std::atomic<int> prepareResult{1};
  std::atomic<int> prepareCalls{0};
  std::atomic<int> runs{0};
  std::atomic<int> breakSeenByPrepare{-1};
  std::atomic<int> runValue{42};

 protected:
  int Prepare() override {
    ++prepareCalls;
    breakSeenByPrepare.store(IsBreakRequested());
    return prepareResult.load();
  }

  int Run() override {
    ++runs;
    while (!m_released.load()) platform::SleepMs(1);
    return runValue.load();
  }

 private:
  std::atomic<bool> m_released{false};
};

int g_windowTag = 0;
int g_otherWindowTag = 0;

TEST(ThreadJob, StartOnRunningJobChangesNothing) {
  GatedJob job;
  ASSERT_EQ(job.Start(&g_windowTag, 7), 1);
  EXPECT_EQ(job.IsRunning(), 1);
  job.Break();

  EXPECT_EQ(job.Start(&g_otherWindowTag, 9), 1);
  EXPECT_EQ(job.prepareCalls.load(), 1);
  EXPECT_EQ(job.IsBreakRequested(), 1);
  EXPECT_EQ(job.Window(), &g_windowTag);
  EXPECT_EQ(job.Message(), 7u);

  job.Release();
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(job.runs.load(), 1);
}

TEST(ThreadJob, RunLeavesItsResultAndTheJobCanStartAgain) {
  GatedJob job;
  job.Release();
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(job.IsRunning(), 0);
  EXPECT_EQ(job.Result(), 42);

  job.runValue.store(5);
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(job.Result(), 5);
  EXPECT_EQ(job.runs.load(), 2);
}

TEST(ThreadJob, StaleBreakIsClearedBeforePrepare) {
  GatedJob job;
  job.Release();
  job.Break();
  EXPECT_EQ(job.IsBreakRequested(), 1);
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  EXPECT_EQ(job.breakSeenByPrepare.load(), 0);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
}

TEST(ThreadJob, OnlyPrepareResultOneStartsAWorker) {
  for (int refusal : {0, 2, -1}) {
    GatedJob job;
    job.prepareResult.store(refusal);
    EXPECT_EQ(job.Start(nullptr, 0), 0) << refusal;
    EXPECT_EQ(job.IsRunning(), 0) << refusal;
    EXPECT_EQ(job.runs.load(), 0) << refusal;
  }
}

TEST(ThreadJob, StartIsDecidedEvenWhenTheRunEndsAtOnce) {
  // A run shorter than the start itself must still count as started.
  for (int i = 0; i < 200; ++i) {
    GatedJob job;
    job.Release();
    ASSERT_EQ(job.Start(nullptr, 0), 1) << "attempt " << i;
    ASSERT_TRUE(testing::WaitUntilIdle(job));
  }
}

class ThrowingJob : public CThreadJob {
 public:
  bool throwInPrepare = true;

 protected:
  int Prepare() override {
    if (throwInPrepare) throw std::runtime_error("device open failed");
    return 1;
  }
  int Run() override { throw std::runtime_error("device run failed"); }
};

TEST(ThreadJob, ExceptionsNeverLeaveTheJob) {
  ThrowingJob job;
  EXPECT_EQ(job.Start(nullptr, 0), 0);
  EXPECT_EQ(job.IsRunning(), 0);

  job.throwInPrepare = false;
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(job.Result(), 0);
}

}  // namespace
}  // namespace zelvane
