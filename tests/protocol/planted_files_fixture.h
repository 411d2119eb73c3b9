#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "buffers/chr_arr.h"
#include "protocol/dump_files.h"
#include "support/temp_directory_override.h"

namespace zelvane::testing {

// A temporary directory in which the next dump of kind S goes to QXS_0.dat, beside a
// file of ours that a planted name may point at.
class PlantedFilesTest : public ::testing::Test {
 protected:
  static constexpr const char* kVictimText = "the victim's own data";

  void SetUp() override {
    RewindDumpRing(DumpKind::kSent, m_temp);
    m_temp.Write("victim.txt", kVictimText);
  }

  // A refused dump does not advance the ring: the next one still goes to file 0.
  void ExpectNextDumpGoesToFileZero() {
    std::filesystem::remove(m_temp.PathOf("QXS_0.dat"));
    WriteDump(DumpKind::kSent, "next");
    EXPECT_EQ(m_temp.Read("QXS_0.dat"), "next");
  }

  TempDirectoryOverride m_temp;
};

}  // namespace zelvane::testing
