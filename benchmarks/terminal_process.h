#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace zelvane::benchmarks {

// A terminal of zelvane-devsim (the device and options of its command line) played by
// a child process on a pseudo-terminal for as long as the object lives, so that the
// processor time of the benchmark's own process is the library's. Uploads are not
// printed.
class TerminalProcess {
 public:
  explicit TerminalProcess(const std::vector<std::string>& arguments);
  ~TerminalProcess();
  TerminalProcess(const TerminalProcess&) = delete;
  TerminalProcess& operator=(const TerminalProcess&) = delete;

  // The pseudo-terminal's slave; empty when the terminal did not start.
  const std::string& Slave() const { return m_slave; }

 private:
  // The child: plays the terminal until the parent closes the stop pipe.
  [[noreturn]] static void Play(const std::vector<std::string>& arguments, int pathOut, int stopIn);

  pid_t m_child = -1;
  int m_stop = -1;
  std::string m_slave;
};

}  // namespace zelvane::benchmarks
