#include "scanner_simulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tools/devsim/memory_link.h"

namespace zelvane::devsim {
namespace {

using testing::MemoryLink;

TEST(ScannerSimulator, EachFamilyEndsItsCodesItsOwnWay) {
  MemoryLink link;
  ScannerSimulator metrologic(link, LineEnd::kCrLf, {});
  ASSERT_TRUE(metrologic.SendCode("12345"));
  EXPECT_EQ(link.PcTake(), "12345\r\n");

  ScannerSimulator tysso(link, LineEnd::kCr, {});
  ASSERT_TRUE(tysso.SendCode("12345"));
  EXPECT_EQ(link.PcTake(), "12345\r");

  // An empty code is a bare terminator, which a reader must take without a code.
  ASSERT_TRUE(tysso.SendCode(""));
  EXPECT_EQ(link.PcTake(), "\r");
}

TEST(ScannerSimulator, BurstArrivesBackToBackInOneWrite) {
  // Counts the writes, so a burst split into one write per code shows.
  struct CountingLink : MemoryLink {
    bool Write(std::string_view bytes) override {
      ++writes;
      return MemoryLink::Write(bytes);
    }
    int writes = 0;
  } link;
  ScannerSimulator scanner(link, LineEnd::kCrLf, {});
  ASSERT_TRUE(scanner.SendBurst({"111", "2222", "33"}));
  EXPECT_EQ(link.writes, 1);
  EXPECT_EQ(link.PcTake(), "111\r\n2222\r\n33\r\n");
}

TEST(ScannerSimulator, NoiseNeverEndsALineButCarriesNuls) {
  MemoryLink link;
  ScannerSimulator scanner(link, LineEnd::kCrLf, {});
  ASSERT_TRUE(scanner.SendNoise(4096));
  const std::string noise = link.PcTake();
  ASSERT_EQ(noise.size(), 4096u);
  EXPECT_EQ(noise.find('\r'), std::string::npos);
  EXPECT_NE(noise.find('\0'), std::string::npos);
  // Random, not a fill: many different byte values.
  std::string distinct = noise;
  std::sort(distinct.begin(), distinct.end());
  distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
  EXPECT_GT(distinct.size(), 200u);

  ASSERT_TRUE(scanner.SendNoise(1));
  EXPECT_EQ(link.PcTake().size(), 1u);
}

TEST(ScannerSimulator, OverlongLineHoldsItsLengthBeforeTheTerminator) {
  MemoryLink link;
  ScannerSimulator tysso(link, LineEnd::kCr, {});
  ASSERT_TRUE(tysso.SendOverlongLine(129));
  const std::string line = link.PcTake();
  ASSERT_EQ(line.size(), 130u);
  EXPECT_EQ(line.back(), '\r');
  EXPECT_EQ(line.find('\r'), 129u);
  EXPECT_EQ(line.find('\n'), std::string::npos);
}

TEST(ScannerSimulator, BeatsPlayTheScriptInOrderAndStartAgain) {
  MemoryLink link;
  ScannerSimulator scanner(link, LineEnd::kCrLf,
                           {ScannedCodes{{"A"}}, ScannedCodes{{"B", "C"}}, Noise{3}});
  scanner.Beat();
  EXPECT_EQ(link.PcTake(), "A\r\n");
  scanner.Beat();
  EXPECT_EQ(link.PcTake(), "B\r\nC\r\n");
  scanner.Beat();
  EXPECT_EQ(link.PcTake().size(), 3u);
  scanner.Beat();
  EXPECT_EQ(link.PcTake(), "A\r\n");
}

TEST(ScannerSimulator, WithoutScriptBeatsSendNothingAndRequestsAreIgnored) {
  MemoryLink link;
  ScannerSimulator scanner(link, LineEnd::kCrLf, {});
  scanner.Beat();
  for (const char byte : std::string("D\r\n\x05\x11")) scanner.Receive(byte);
  EXPECT_EQ(link.PcTake(), "");
}

}  // namespace
}  // namespace zelvane::devsim
