// A scanner that sends garbage as fast as the line takes it: the run must keep
// answering a break, and the library's memory must not grow with the stream.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <thread>

#include "host/exports/host_events.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;

// Resident memory of the process in KiB, where the system tells it; -1 elsewhere.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

// Sends chunks from `next` for `duration`.
template <typename Chunk>
std::size_t Stream(testing::PtyDevice& device, std::chrono::milliseconds duration, Chunk next) {
  std::size_t sent = 0;
  const auto end = std::chrono::steady_clock::now() + duration;
  while (std::chrono::steady_clock::now() < end) {
    const std::string chunk = next();
    if (device.Write(chunk)) sent += chunk.size();
    std::this_thread::sleep_for(1ms);
  }
  return sent;
}

TEST(ScannerNoise, EndlessGarbageNeitherGrowsMemoryNorBlocksABreak) {
  testing::MessageRecorder messages;
  testing::PtyDevice device;
  ASSERT_TRUE(device.IsReady()) << device.Error();
  testing::HostEvents events;
  ScanerDelete();
  ASSERT_EQ(ScanerCreate(nullptr), 1);
  RunRequest request{};
  request.device = 402;
  request.port = device.Port();
  testing::StartedRuns runs(events);
  ASSERT_EQ(runs.Count([&] { return ScanerRun(&request, &testing::HostEvents::OnCode); }), 1);

  std::mt19937 random(20261208);
  const long before = ResidentKiB();
  const std::size_t noise = Stream(device, 3s, [&] {
    std::string chunk(256, '\0');
    for (char& byte : chunk) byte = static_cast<char>(random() & 0xFF);
    return chunk;
  });
  int counter = 0;
  const std::size_t lines = Stream(device, 3s, [&] { return std::to_string(++counter) + "\r\n"; });
  const long after = ResidentKiB();

  const long long took = runs.BreakAndWait(10s);
  ASSERT_GE(took, 0) << "the run did not end";
  ScanerDelete();

  std::printf(
      "sent %zu noise bytes and %d lines (%zu bytes); resident %ld KiB -> %ld KiB; "
      "%zu codes delivered; break took %lld ms\n",
      noise, counter, lines, before, after, events.Codes().size(), took);
  EXPECT_LT(took, 1500);
  // Every delivered code is a text of at most 20 characters.
  for (const std::string& code : events.Codes()) EXPECT_LE(code.size(), 20u);
  if (before > 0) {
    EXPECT_LT(after - before, 8 * 1024) << "memory grew with the stream";
  }
}

}  // namespace
}  // namespace zelvane
