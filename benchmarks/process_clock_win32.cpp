#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "process_clock.h"

namespace zelvane::benchmarks {

namespace {

double Seconds(const FILETIME& time) {
  const ULONGLONG steps = (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return static_cast<double>(steps) / 1e7;
}

// Wine shows the Linux file system as drive Z:, /proc included: fields 14 and 15 of a
// process's stat line are its user and system time in clock ticks (100 a second).
// Negative when there is no such file (on Windows itself).
double LinuxCpuSeconds(const std::string& process) {
  std::FILE* file = std::fopen(("Z:\\proc\\" + process + "\\stat").c_str(), "r");
  if (file == nullptr) return -1.0;
  char line[1024] = {};
  const bool read = std::fgets(line, sizeof(line), file) != nullptr;
  std::fclose(file);
  // The name in parentheses may hold blanks: count fields after its closing one.
  const char* at = read ? std::strrchr(line, ')') : nullptr;
  unsigned long long user = 0, system = 0;
  if (at == nullptr || std::sscanf(at + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu",
                                   &user, &system) != 2) {
    return -1.0;
  }
  constexpr double kTicksPerSecond = 100.0;
  return static_cast<double>(user + system) / kTicksPerSecond;
}

}  // namespace

// Wine takes this from the system's accounts of the whole process (the threads it
// runs for the program included). Z:\proc\self is no way to it: Wine's server opens
// files for its programs, so that names the server.
double ProcessCpuSeconds() {
  FILETIME created{}, ended{}, kernel{}, user{};
  if (!::GetProcessTimes(::GetCurrentProcess(), &created, &ended, &kernel, &user)) return 0.0;
  return Seconds(kernel) + Seconds(user);
}

double WineServerCpuSeconds() {
  const char* pid = std::getenv("ZELVANE_WINESERVER_PID");
  if (pid == nullptr || *pid == '\0') return -1.0;
  return LinuxCpuSeconds(pid);
}

}  // namespace zelvane::benchmarks
