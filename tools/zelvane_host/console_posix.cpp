#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>

#include "console.h"

namespace zelvane::host {
namespace {

// Written by the signal handler, hence lock-free.
std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void OnInterrupt(int) {
  g_interrupted.store(true);
}

}  // namespace

void PrepareConsole() {
  struct sigaction action {};
  action.sa_handler = &OnInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

bool InterruptRequested() {
  return g_interrupted.load();
}

void SleepMilliseconds(unsigned milliseconds) {
  timespec duration{};
  duration.tv_sec = static_cast<time_t>(milliseconds / 1000);
  duration.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
  ::nanosleep(&duration, nullptr);  // a signal ends it early, which only means a quicker poll
}

bool OutputIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace zelvane::host
