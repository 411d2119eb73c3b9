#ifndef _WIN32

#include "printing/private_cups_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace zelvane::testing {
namespace {

constexpr const char* kCupsd = "/usr/sbin/cupsd";
constexpr auto kStartLimit = std::chrono::seconds(10);
constexpr const char* kTemplates = ZELVANE_CUPSD_TEMPLATES;

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path) << text;
}

std::string ReadFile(const std::string& path) {
  std::ifstream file(path);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Spawns `command` with both output streams going to `output`.
pid_t Spawn(const std::vector<std::string>& command, const std::string& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_APPEND, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  std::vector<char*> arguments;
  for (const std::string& argument : command)
    arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawn(&pid, arguments[0], &actions, nullptr, arguments.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

// The configuration templates name the server's folder @FOLDER@.
std::string WithFolder(std::string text, const std::string& folder) {
  const std::string placeholder = "@FOLDER@";
  for (std::size_t at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + folder.size())) {
    text.replace(at, placeholder.size(), folder);
  }
  return text;
}

bool Accepts(const std::string& socketPath) {
  const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  socketPath.copy(address.sun_path, sizeof(address.sun_path) - 1);
  const bool connected =
      connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0;
  close(fd);
  return connected;
}

}  // namespace

PrivateCupsServer::PrivateCupsServer() {
  if (geteuid() != 0) {
    m_error = "a private cupsd needs root: it runs its jobs as the user lp";
    return;
  }
  if (access(kCupsd, X_OK) != 0) {
    m_error = std::string(kCupsd) + " is missing: install cups and cups-client";
    return;
  }
  char folder[] = "/tmp/zelvane-cups.XXXXXX";
  if (mkdtemp(folder) == nullptr) {
    m_error = "cannot make a temporary folder";
    return;
  }
  m_folder = folder;
  m_socket = m_folder + "/cups.sock";
  // The backends run as lp and must reach the spool below.
  chmod(folder, 0755);
  for (const char* sub : {"spool", "spool/tmp", "state", "cache", "log", "ppd"}) {
    std::filesystem::create_directories(m_folder + "/" + sub);
  }
  for (const char* name : {"cupsd.conf", "cups-files.conf"}) {
    WriteFile(m_folder + "/" + name,
              WithFolder(ReadFile(std::string(kTemplates) + "/" + name + ".in"), m_folder));
  }
  setenv("CUPS_SERVER", m_socket.c_str(), 1);

  m_pid = Spawn({kCupsd, "-f", "-c", m_folder + "/cupsd.conf", "-s", m_folder + "/cups-files.conf"},
                m_folder + "/log/cupsd.out");
  if (m_pid < 0) {
    m_error = "cannot start cupsd";
    return;
  }
  const auto deadline = std::chrono::steady_clock::now() + kStartLimit;
  while (!Accepts(m_socket)) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      m_error = "cupsd ended at once:\n" + Log();
      return;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      m_error = "cupsd does not answer on " + m_socket + ":\n" + Log();
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

PrivateCupsServer::~PrivateCupsServer() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
  if (!m_folder.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
  }
}

bool PrivateCupsServer::AddRawQueue(const std::string& name, std::uint16_t port) {
  return Run(
      {"/usr/sbin/lpadmin", "-p", name, "-v", "socket://127.0.0.1:" + std::to_string(port), "-E"});
}

bool PrivateCupsServer::StopQueue(const std::string& name) {
  return Run({"/usr/sbin/cupsdisable", name});
}

bool PrivateCupsServer::RejectJobs(const std::string& name) {
  return Run({"/usr/sbin/cupsreject", name});
}

bool PrivateCupsServer::Run(const std::vector<std::string>& command) {
  const std::string output = m_folder + "/log/tool.out";
  const pid_t pid = Spawn(command, output);
  int status = -1;
  if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    m_error = command[0] + " failed:\n" + ReadFile(output) + Log();
    return false;
  }
  return true;
}

std::string PrivateCupsServer::Log() const {
  return ReadFile(m_folder + "/log/cupsd.out") + ReadFile(m_folder + "/log/error_log");
}

RawPrinterPort::RawPrinterPort() {
  m_listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof(address);
  if (bind(m_listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)) == 0 &&
      listen(m_listener, 4) == 0 &&
      getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    m_port = ntohs(address.sin_port);
  }
}

RawPrinterPort::~RawPrinterPort() {
  close(m_listener);
}

std::optional<std::vector<std::uint8_t>> RawPrinterPort::Receive(std::chrono::milliseconds wait) {
  pollfd waiting{m_listener, POLLIN, 0};
  if (poll(&waiting, 1, static_cast<int>(wait.count())) != 1) return std::nullopt;
  const int connection = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
  if (connection < 0) return std::nullopt;
  std::vector<std::uint8_t> received;
  std::uint8_t chunk[65536];
  pollfd reading{connection, POLLIN, 0};
  // The backend closes once it has sent everything; a stalled one ends the wait.
  while (poll(&reading, 1, static_cast<int>(wait.count())) == 1) {
    const ssize_t count = read(connection, chunk, sizeof(chunk));
    if (count <= 0) break;
    received.insert(received.end(), chunk, chunk + count);
  }
  close(connection);
  return received;
}

}  // namespace zelvane::testing

#endif  // _WIN32
