#include <gtest/gtest.h>

#include <filesystem>

#include "protocol/dump_files.h"
#include "protocol/planted_files_fixture.h"

namespace zelvane {
namespace {

using testing::PlantedFilesTest;

TEST_F(PlantedFilesTest, HardLinkToAFileOfOursIsNotEmptied) {
  std::filesystem::create_hard_link(m_temp.PathOf("victim.txt"), m_temp.PathOf("QXS_0.dat"));
  WriteDump(DumpKind::kSent, "overwrite");
  EXPECT_EQ(m_temp.Read("victim.txt"), kVictimText);
  ExpectNextDumpGoesToFileZero();
}

}  // namespace
}  // namespace zelvane
