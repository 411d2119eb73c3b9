#include "line_fault.h"

#include <gtest/gtest.h>

#include <string>

#include "memory_link.h"

namespace zelvane::devsim {
namespace {

// What the PC receives of two frames, "ABC" and "DEF", when the fault strikes byte 4
// (the "E"), and whether the device could send both.
TEST(FaultyLink, EachFaultStrikesItsByteOnce) {
  struct Case {
    FaultKind kind;
    std::string received;
    bool sent;
  } const cases[] = {
      {FaultKind::kDrop,
       "ABCDF"
       "GHI",
       true},
      {FaultKind::kFlip,
       "ABCDDF"
       "GHI",
       true},  // 'E' ^ 0x01
      {FaultKind::kCut,
       "ABCD"
       "GHI",
       true},
      {FaultKind::kStall,
       "ABCDEF"
       "GHI",
       true},
      {FaultKind::kVanish, "ABCD", false},
  };
  for (const Case& c : cases) {
    testing::MemoryLink line;
    bool vanished = false;
    LineFault fault{c.kind, 4, 0x01, std::chrono::milliseconds(1)};
    FaultyLink link(line, fault, [&vanished] { vanished = true; });
    EXPECT_TRUE(link.Write("ABC"));
    EXPECT_EQ(link.Write("DEF"), c.sent);
    link.Write("GHI");
    EXPECT_EQ(line.PcTake(), c.received) << static_cast<int>(c.kind);
    EXPECT_EQ(vanished, c.kind == FaultKind::kVanish);
  }
}

}  // namespace
}  // namespace zelvane::devsim
