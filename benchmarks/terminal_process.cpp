#include "terminal_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <variant>

#include "devsim_options.h"
#include "simulated_port.h"

namespace zelvane::benchmarks {

TerminalProcess::TerminalProcess(const std::vector<std::string>& arguments) {
  int path[2];
  int stop[2];
  if (pipe(path) != 0 || pipe(stop) != 0) return;
  m_child = fork();
  if (m_child == 0) {
    close(path[0]);
    close(stop[1]);
    Play(arguments, path[1], stop[0]);
  }
  close(path[1]);
  close(stop[0]);
  m_stop = stop[1];
  char slave[256] = {};
  const ssize_t got = read(path[0], slave, sizeof slave - 1);
  close(path[0]);
  if (got > 0) m_slave.assign(slave, static_cast<std::size_t>(got));
}

TerminalProcess::~TerminalProcess() {
  if (m_stop >= 0) close(m_stop);
  if (m_child > 0) waitpid(m_child, nullptr, 0);
}

void TerminalProcess::Play(const std::vector<std::string>& arguments, int pathOut, int stopIn) {
  const devsim::DevsimParseResult parsed = devsim::ParseDevsimOptions(arguments);
  if (std::holds_alternative<std::string>(parsed)) _exit(2);
  devsim::DeviceScript script = std::get<devsim::DevsimOptions>(parsed).script;
  if (auto* cipherLab = std::get_if<devsim::CipherLabScript>(&script.device)) {
    cipherLab->printUploads = false;
  }
  devsim::SimulatedPortResult started = devsim::SimulatedPort::Start(script);
  if (std::holds_alternative<std::string>(started)) _exit(3);
  const std::string& slave = std::get<0>(started)->SlavePath();
  if (write(pathOut, slave.data(), slave.size()) < 0) _exit(4);
  close(pathOut);
  char ignored = 0;
  while (read(stopIn, &ignored, 1) > 0) {
  }
  std::get<0>(started).reset();
  _exit(0);
}

}  // namespace zelvane::benchmarks
