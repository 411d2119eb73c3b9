// A Linux port that another program holds is refused without being touched, whether
// it took one of the locks Linux serial programs honour or none; a lock left by a program that is
// gone is taken over, and a device this user may not open is not reported as busy.
#if !defined(_WIN32)

#include <fcntl.h>
#include <pty.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>

#include "serial/serial_internals.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

using testing::InspectableSerial;
using testing::MessageRecorder;

constexpr int kPort = 13;

// A pseudo-terminal that COM port kPort leads to, in cooked mode as a program left it,
// and a lock folder of the test's own.
class PortOwnership : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[256] = {};
    ASSERT_EQ(openpty(&m_master, &m_slave, name, nullptr, nullptr), 0);
    m_path = name;
    setenv("ZELVANE_COM13", name, 1);
    setenv("ZELVANE_LOCK_DIR", m_locks.Directory().c_str(), 1);
    termios cooked{};
    ASSERT_EQ(tcgetattr(m_slave, &cooked), 0);
    cooked.c_lflag |= ICANON | ECHO;
    ASSERT_EQ(tcsetattr(m_slave, TCSANOW, &cooked), 0);
  }
  void TearDown() override {
    serial.ClosePort(kPort, 0);
    unsetenv("ZELVANE_COM13");
    unsetenv("ZELVANE_LOCK_DIR");
    close(m_master);
    close(m_slave);
  }

  // "LCK..pts_3" for /dev/pts/3.
  std::string LockFile() const {
    std::string device = m_path.substr(std::string("/dev/").size());
    std::replace(device.begin(), device.end(), '/', '_');
    return (m_locks.Directory() / ("LCK.." + device)).string();
  }

  // Exclusive mode belongs to the terminal and outlives the program that set it.
  void EndExclusiveMode() const { ioctl(m_slave, TIOCNXCL); }

  bool StillCooked() const {
    termios now{};
    return tcgetattr(m_slave, &now) == 0 && (now.c_lflag & ICANON) != 0;
  }

  void WriteLock(pid_t owner) const {
    std::ofstream(LockFile()) << std::string(10 - std::to_string(owner).size(), ' ') << owner
                              << '\n';
  }

  std::string LockContents() const {
    std::ifstream file(LockFile());
    return std::string(std::istreambuf_iterator<char>(file), {});
  }

  // Another program: a child that opens the terminal, takes `hold` and keeps it until
  // it is ended; its pid.
  pid_t OtherProgram(const std::function<void(int fd)>& hold) {
    int ready[2];
    if (pipe(ready) != 0) return -1;
    const pid_t child = fork();
    if (child == 0) {
      const int fd = open(m_path.c_str(), O_RDWR | O_NOCTTY);
      hold(fd);
      if (write(ready[1], "r", 1) != 1) _exit(1);
      pause();
      _exit(0);
    }
    char byte = 0;
    if (read(ready[0], &byte, 1) != 1) return -1;
    close(ready[0]);
    close(ready[1]);
    return child;
  }

  static void End(pid_t child) {
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
  }

  MessageRecorder messages;
  InspectableSerial serial;

 private:
  testing::TempDirectoryOverride m_locks;
  int m_master = -1;
  int m_slave = -1;
  std::string m_path;
};

TEST_F(PortOwnership, APortAnotherProgramHoldsIsRefusedAndLeftAsItWas) {
  struct Hold {
    const char* how;
    std::function<void(int fd)> take;
  };
  for (const Hold& hold : {Hold{"flock", [](int fd) { flock(fd, LOCK_EX); }},
                           Hold{"exclusive mode", [](int fd) { ioctl(fd, TIOCEXCL); }},
                           Hold{"UUCP lock", [this](int) { WriteLock(getpid()); }},
                           Hold{"a plain open, no lock at all", [](int) {}}}) {
    SCOPED_TRACE(hold.how);
    const pid_t other = OtherProgram(hold.take);
    ASSERT_GT(other, 0);
    EXPECT_EQ(serial.OpenPort(kPort, 1024, 1024, 9600, 8, 'N', 1), TE_CONFL);
    EXPECT_FALSE(serial.GetPortOpen());
    EXPECT_TRUE(StillCooked());
    End(other);
    EndExclusiveMode();
    std::remove(LockFile().c_str());
  }
}

TEST_F(PortOwnership, AStaleLockIsTakenOverAndGivenBackAtTheClose) {
  const pid_t gone = fork();
  if (gone == 0) _exit(0);
  waitpid(gone, nullptr, 0);
  WriteLock(gone);

  ASSERT_EQ(serial.OpenPort(kPort, 1024, 1024, 9600, 8, 'N', 1), 0);
  EXPECT_EQ(std::atoi(LockContents().c_str()), getpid());
  EXPECT_EQ(LockContents().size(), 11u);
  // While it is ours, another open (this program's own too) is refused.
  InspectableSerial second;
  EXPECT_EQ(second.OpenPort(kPort, 1024, 1024, 9600, 8, 'N', 1), TE_CONFL);
  serial.ClosePort(kPort, 0);
  EXPECT_EQ(LockContents(), "");
}

TEST_F(PortOwnership, ADeviceThisUserMayNotOpenIsNotReportedAsBusy) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root, to become a user without access";
  const pid_t child = fork();
  if (child == 0) {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(1);
    _exit(serial.ProbePort(kPort) ? 2 : -g_nProbeError);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(-WEXITSTATUS(status), TE_NOTOPEN);
}

}  // namespace
}  // namespace zelvane

#endif
