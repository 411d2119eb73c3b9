// Names planted in the shared temporary directory by another user: symbolic links,
// FIFOs, files of someone else. POSIX only: on Windows, planting a link or giving a
// file away needs privileges that a test run does not have, and pipes do not live in
// the file system.
#ifndef _WIN32

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "protocol/dump_files.h"
#include "protocol/fixed_clock.h"
#include "protocol/planted_files_fixture.h"
#include "protocol/trace_log.h"

namespace zelvane {
namespace {

namespace fs = std::filesystem;
using testing::PlantedFilesTest;

// The mode bits of a name itself, not of what it links to.
mode_t ModeOf(const fs::path& path) {
  struct stat status {};
  EXPECT_EQ(::lstat(path.c_str(), &status), 0);
  return status.st_mode;
}

TEST_F(PlantedFilesTest, SymbolicLinkToAVictimIsNotFollowed) {
  fs::create_symlink(m_temp.PathOf("victim.txt"), m_temp.PathOf("QXS_0.dat"));
  WriteDump(DumpKind::kSent, "overwrite");

  EXPECT_EQ(m_temp.Read("victim.txt"), kVictimText);
  EXPECT_TRUE(fs::is_symlink(fs::symlink_status(m_temp.PathOf("QXS_0.dat"))));
  ExpectNextDumpGoesToFileZero();
}

TEST_F(PlantedFilesTest, DanglingSymbolicLinkCreatesNoFileAtItsTarget) {
  fs::create_symlink(m_temp.PathOf("created-through-link"), m_temp.PathOf("QXS_0.dat"));
  WriteDump(DumpKind::kSent, "planted");
  EXPECT_FALSE(fs::exists(fs::symlink_status(m_temp.PathOf("created-through-link"))));
}

TEST_F(PlantedFilesTest, FifoWithoutAReaderDoesNotBlockTheDump) {
  ASSERT_EQ(::mkfifo(m_temp.PathOf("QXS_0.dat").c_str(), 0666), 0);
  WriteDump(DumpKind::kSent, "into a pipe");
  EXPECT_TRUE(S_ISFIFO(ModeOf(m_temp.PathOf("QXS_0.dat"))));
  ExpectNextDumpGoesToFileZero();
}

TEST_F(PlantedFilesTest, FifoWithAReaderDoesNotReceiveTheDump) {
  ASSERT_EQ(::mkfifo(m_temp.PathOf("QXS_0.dat").c_str(), 0666), 0);
  const int reader = ::open(m_temp.PathOf("QXS_0.dat").c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  WriteDump(DumpKind::kSent, "into a pipe");

  char received[32];
  EXPECT_LE(::read(reader, received, sizeof received), 0);
  ::close(reader);
  ExpectNextDumpGoesToFileZero();
}

TEST_F(PlantedFilesTest, FileOfAnotherUserIsLeftAlone) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can give a file to another user";
  constexpr uid_t kOtherUser = 4242;
  m_temp.Write("QXS_0.dat", kVictimText);
  ASSERT_EQ(::chown(m_temp.PathOf("QXS_0.dat").c_str(), kOtherUser, kOtherUser), 0);
  WriteDump(DumpKind::kSent, "overwrite");

  EXPECT_EQ(m_temp.Read("QXS_0.dat"), kVictimText);
  struct stat status {};
  ASSERT_EQ(::stat(m_temp.PathOf("QXS_0.dat").c_str(), &status), 0);
  EXPECT_EQ(status.st_uid, kOtherUser);
}

TEST_F(PlantedFilesTest, DumpsAreReadableByTheirOwnerOnly) {
  m_temp.Write("QXS_1.dat", "old");
  ::chmod(m_temp.PathOf("QXS_1.dat").c_str(), 0644);
  WriteDump(DumpKind::kSent, "new file");
  WriteDump(DumpKind::kSent, "reused file");

  EXPECT_EQ(ModeOf(m_temp.PathOf("QXS_0.dat")) & 0777, 0600u);
  EXPECT_EQ(ModeOf(m_temp.PathOf("QXS_1.dat")) & 0777, 0600u);
  EXPECT_EQ(m_temp.Read("QXS_1.dat"), "reused file");
}

TEST_F(PlantedFilesTest, TraceLogDoesNotFollowASymbolicLink) {
  fs::create_symlink(m_temp.PathOf("victim.txt"), m_temp.PathOf("QXDATA_0307_140509.txt"));
  testing::SetFixedClock(testing::LocalSecond(3, 7, 14, 5, 9));
  TraceLog trace(&testing::FixedClock);
  trace.Open();
  trace.Line("overwrite", TraceLog::kFromDevice);

  EXPECT_FALSE(trace.IsOpen());
  EXPECT_EQ(m_temp.Read("victim.txt"), kVictimText);
}

}  // namespace
}  // namespace zelvane

#endif  // _WIN32
