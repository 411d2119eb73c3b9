#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "cas_scale_simulator.h"
#include "device_simulator.h"
#include "scanner_simulator.h"
#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;
using testing::MemoryLink;

milliseconds Since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

TEST(SimulatorLoop, BeatsKeepTheirPaceFromOneIntervalAfterTheStart) {
  MemoryLink link;
  ScannerSimulator scanner(link, LineEnd::kCr, {ScannedCodes{{"1"}}, ScannedCodes{{"2"}}});
  const Clock::time_point start = Clock::now();
  std::jthread player(
      [&](std::stop_token stop) { RunSimulator(scanner, milliseconds(150), stop); });

  EXPECT_EQ(link.PcRead(2, 5000), "1\r");
  const milliseconds first = Since(start);
  EXPECT_EQ(link.PcRead(2, 5000), "2\r");
  const milliseconds second = Since(start);
  EXPECT_EQ(link.PcRead(2, 5000), "1\r");
  const milliseconds third = Since(start);
  EXPECT_GE(first.count(), 140);
  EXPECT_GE((second - first).count(), 100);
  EXPECT_GE((third - second).count(), 100);
  // Slow test machines stretch the pace, but never to a second.
  EXPECT_LT(third.count(), 1000);
}

TEST(SimulatorLoop, AnswersRequestsBetweenBeatsAndWithoutThem) {
  MemoryLink link;
  CasScaleSimulator scale(link, {CasAnswer{"S  1.234kg"}});
  std::jthread player([&](std::stop_token stop) { RunSimulator(scale, milliseconds(0), stop); });
  link.PcWrite(std::string(1, cas::kEnq));
  EXPECT_EQ(link.PcRead(1, 2000), std::string(1, cas::kAck));
  link.PcWrite(std::string(1, cas::kDc1));
  EXPECT_EQ(link.PcRead(15, 2000), std::string({cas::kSoh, cas::kStx}) + "S  1.234kg\x75" +
                                       std::string({cas::kEtx, cas::kEot}));
}

TEST(SimulatorLoop, StopsPromptlyWhenAskedFromAnotherThread) {
  MemoryLink link;
  ScannerSimulator scanner(link, LineEnd::kCrLf, {ScannedCodes{{"1"}}});
  std::jthread player(
      [&](std::stop_token stop) { RunSimulator(scanner, milliseconds(60 * 1000), stop); });
  std::this_thread::sleep_for(milliseconds(50));
  const Clock::time_point asked = Clock::now();
  player.request_stop();
  player.join();
  EXPECT_LT(Since(asked).count(), 200);
  EXPECT_EQ(link.PcTake(), "");
}

}  // namespace
}  // namespace zelvane::devsim
