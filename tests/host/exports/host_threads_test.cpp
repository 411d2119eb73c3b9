// Two host threads that call the exports in a tight loop, in every order, against a
// CipherLab terminal that answers whatever it is asked: every run still opens,
// transfers and closes in order, and no record is lost or delivered twice.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "cipherlab_terminal_simulator.h"
#include "device_simulator.h"
#include "host/exports/device_run.h"
#include "host/exports/host_events.h"
#include "tools/devsim/pty_device_link.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using Notice = testing::HostEvents::Notice;

constexpr int32_t kCipherLab = 500;
const std::vector<std::string> kCodes{"5901", "5902", "5903"};

std::atomic<int> g_delivered{0};
void ZELVANE_CALL CountRecord(HostLineRecord*) {
  ++g_delivered;
}

using HostThreads = testing::DeviceRun;

TEST_F(HostThreads, CallsInAnyOrderKeepEveryRunWholeAndEveryRecordSingle) {
  devsim::testing::PtyDeviceLink link(device);
  std::vector<devsim::TerminalStep> script;
  for (const std::string& code : kCodes)
    script.push_back(devsim::TerminalRecord{"A," + code + ",1,100"});
  devsim::CipherLabTerminalSimulator terminal(link, 115200, script);
  std::jthread playing([&](const std::stop_token& stop) {
    devsim::RunSimulator(terminal, std::chrono::milliseconds(0), stop);
  });

  RunRequest request{};
  request.device = kCipherLab;
  request.port = device.Port();
  request.baud = 115200;
  HostLineRecord lines[3]{};
  for (HostLineRecord& line : lines) std::snprintf(line.code, sizeof line.code, "1");
  // Each thread draws its calls from its own list, so that every pair meets.
  const auto play = [&](unsigned seed, int which) {
    std::mt19937 random(seed);
    const auto end = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < end) {
      // Mostly short pauses, so that some transfers run whole between the calls.
      switch (random() % 8) {
        case 0:
          which == 0 ? ZelvaneRunCollector(&request, 2, &CountRecord, nullptr, 0)
                     : ZelvaneRunCollector(&request, 3, nullptr, lines, 3);
          break;
        case 1:
          which == 0 ? ScanerRun(&request, &testing::HostEvents::OnCode) : ScanerBreakJob();
          break;
        case 2: ScanerSetBarCodeInfo(&lines[0]); break;
        default: std::this_thread::sleep_for(std::chrono::milliseconds(random() % 20)); break;
      }
    }
  };
  std::thread first(play, 20261209u, 0);
  std::thread second(play, 20261210u, 1);
  first.join();
  second.join();
  ScanerBreakJob();
  // A run ends with its close (11), or a failed open with two notices of which the
  // second is 8.
  const auto ends = [](const std::vector<Notice>& notices, std::size_t i) {
    return notices[i].code == 11 || (notices[i].code == 8 && i > 0 &&
                                     (notices[i - 1].code == 6 || notices[i - 1].code == 8));
  };
  // A run started last may still be on its way: it ends once broken.
  const auto ended = [&] {
    const std::vector<Notice> notices = events.Notices();
    return notices.empty() || ends(notices, notices.size() - 1);
  };
  for (int waited = 0; !ended() && waited < 10000; waited += 10) {
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(ended()) << "a run did not end";

  // Every run: notice 1, its steps, its end, its close; nothing between a close and the
  // next run's notice 1. A read that reports success delivered every record once.
  const std::vector<Notice> notices = events.Notices();
  std::size_t runs = 0;
  int progress = 0;
  int totalProgress = 0;
  bool closed = true;
  for (std::size_t i = 0; i < notices.size(); ++i) {
    const Notice& notice = notices[i];
    if (closed) {
      ASSERT_EQ(notice.code, 1) << "a notice after a run's close, before the next run";
      closed = false;
      ++runs;
      progress = 0;
      continue;
    }
    if (notice.code == 5) {
      EXPECT_EQ(notice.text, kCodes[static_cast<std::size_t>(progress) % kCodes.size()]);
      ++progress;
      ++totalProgress;
    }
    if (notice.code == 10 && progress > 0) {
      EXPECT_EQ(progress, static_cast<int>(kCodes.size()))
          << "a read ended well with records missing";
    }
    closed = ends(notices, i);
  }
  EXPECT_GT(runs, 1u) << "the threads started runs";
  EXPECT_EQ(g_delivered.load(), totalProgress)
      << "each record is handed over once, with its notice";
  std::printf("%zu runs, %d records delivered\n", runs, g_delivered.load());
}

}  // namespace
}  // namespace zelvane
