#include "protocol/dump_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "buffers/chr_arr.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

using testing::DumpName;
using testing::RewindDumpRing;

class DumpFilesTest : public ::testing::Test {
 protected:
  testing::TempDirectoryOverride m_temp;
};

TEST_F(DumpFilesTest, EleventhDumpOfAKindOverwritesFileZero) {
  RewindDumpRing(DumpKind::kSent, m_temp);
  for (int i = 0; i <= 10; ++i) WriteDump(DumpKind::kSent, ("dump " + std::to_string(i)).c_str());

  std::vector<std::string> expectedNames;
  for (int number = 0; number < 10; ++number)
    expectedNames.push_back(DumpName(DumpKind::kSent, number));
  EXPECT_EQ(m_temp.Names(), expectedNames);
  EXPECT_EQ(m_temp.Read(DumpName(DumpKind::kSent, 0)), "dump 10");
  for (int number = 1; number < 10; ++number) {
    EXPECT_EQ(m_temp.Read(DumpName(DumpKind::kSent, number)), "dump " + std::to_string(number));
  }
}

TEST_F(DumpFilesTest, KindsKeepCountersOfTheirOwn) {
  for (DumpKind kind : {DumpKind::kReceivedBlock, DumpKind::kSent, DumpKind::kTextLine,
                        DumpKind::kTerminatedBlock}) {
    RewindDumpRing(kind, m_temp);
  }
  WriteDump(DumpKind::kReceivedBlock, "r0");
  WriteDump(DumpKind::kReceivedBlock, "r1");
  WriteDump(DumpKind::kTextLine, "t0");
  WriteDump(DumpKind::kSent, "s0");
  WriteDump(DumpKind::kTerminatedBlock, "x0");
  WriteDump(DumpKind::kSent, "s1");

  EXPECT_EQ(m_temp.Names(), (std::vector<std::string>{"QXR_0.dat", "QXR_1.dat", "QXS_0.dat",
                                                      "QXS_1.dat", "QXT_0.dat", "QXX_0.dat"}));
  EXPECT_EQ(m_temp.Read("QXS_1.dat"), "s1");
  EXPECT_EQ(m_temp.Read("QXX_0.dat"), "x0");
}

TEST_F(DumpFilesTest, HoldsTheBufferBytesUnchanged) {
  RewindDumpRing(DumpKind::kReceivedBlock, m_temp);
  CChrArr frame(
      "\x02"
      "AB");
  frame += static_cast<std::uint8_t>(0x00);
  frame += "\xB9\r\n";
  WriteDump(DumpKind::kReceivedBlock, frame);
  WriteDump(DumpKind::kReceivedBlock, CChrArr());

  constexpr char kExpected[] =
      "\x02"
      "AB\0\xB9\r\n";
  EXPECT_EQ(m_temp.Read("QXR_0.dat"), std::string(kExpected, sizeof kExpected - 1));
  EXPECT_EQ(m_temp.Read("QXR_1.dat"), "");
}

TEST_F(DumpFilesTest, ReplacesTheWholeFileOfAnEarlierRound) {
  RewindDumpRing(DumpKind::kTextLine, m_temp);
  m_temp.Write("QXT_0.dat", std::string(100, 'o'));
  WriteDump(DumpKind::kTextLine, "new\r");
  EXPECT_EQ(m_temp.Read("QXT_0.dat"), "new\r");
}

TEST_F(DumpFilesTest, MissingTemporaryDirectorySkipsTheDumpWithoutAdvancing) {
  RewindDumpRing(DumpKind::kSent, m_temp);
  m_temp.PointAtMissingDirectory();
  WriteDump(DumpKind::kSent, "lost");
  m_temp.PointAtDirectory();
  WriteDump(DumpKind::kSent, "kept");

  EXPECT_EQ(m_temp.Names(), std::vector<std::string>{"QXS_0.dat"});
  EXPECT_EQ(m_temp.Read("QXS_0.dat"), "kept");
}

}  // namespace
}  // namespace zelvane
