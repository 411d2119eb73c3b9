#include "jobs/job_error.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

namespace zelvane {
namespace {

// The worker changes the text while the host's thread reads it: every read is one
// whole text (ThreadSanitizer builds also see any unguarded access).
TEST(JobError, TextIsReadWholeWhileTheWorkerChangesIt) {
  JobError error;
  const std::string shortText(20, 'a');
  const std::string longText(300, 'b');
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    for (int i = 0; !stop.load(); ++i) error.Set(i, (i % 2) != 0 ? shortText : longText);
  });
  int torn = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string text = error.Text();
    if (!text.empty() && text != shortText && text != longText) ++torn;
  }
  stop.store(true);
  worker.join();
  EXPECT_EQ(torn, 0);
}

}  // namespace
}  // namespace zelvane
