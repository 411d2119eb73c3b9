#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#include "pseudo_terminal.h"
#include "raw_pseudo_terminal.h"

namespace zelvane::devsim {
namespace {

// A PC that stops reading fills the pair's buffer; the device gives up on a write
// after this long rather than hang its loop.
constexpr std::chrono::milliseconds kWriteGiveUp{2000};

class PosixPseudoTerminal final : public PseudoTerminal {
 public:
  PosixPseudoTerminal(int master, std::string slavePath)
      : m_master(master), m_slavePath(std::move(slavePath)) {}
  ~PosixPseudoTerminal() override { Vanish(); }

  const std::string& SlavePath() const override { return m_slavePath; }

  void Vanish() override {
    if (m_master >= 0) close(m_master);
    m_master = -1;
  }

  bool Write(std::string_view bytes) override {
    const auto giveUp = std::chrono::steady_clock::now() + kWriteGiveUp;
    while (!bytes.empty()) {
      const ssize_t written = write(m_master, bytes.data(), bytes.size());
      if (written > 0) {
        bytes.remove_prefix(static_cast<std::size_t>(written));
        continue;
      }
      if (written < 0 && errno != EAGAIN && errno != EINTR) return false;
      const auto now = std::chrono::steady_clock::now();
      if (now >= giveUp) return false;
      pollfd writable{m_master, POLLOUT, 0};
      poll(&writable, 1, static_cast<int>(Remaining(now, giveUp)));
    }
    return true;
  }

  std::string Read(std::size_t count, int timeoutMs) override {
    pollfd readable{m_master, POLLIN, 0};
    if (count == 0 || poll(&readable, 1, timeoutMs) <= 0) return {};
    std::string received(count, '\0');
    const ssize_t got = read(m_master, received.data(), count);
    // While the PC has the port closed the master hangs up at once: nothing can
    // come for the whole wait.
    if (got < 0 && errno == EIO) std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
    received.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    return received;
  }

 private:
  static long long Remaining(std::chrono::steady_clock::time_point now,
                             std::chrono::steady_clock::time_point end) {
    return std::chrono::ceil<std::chrono::milliseconds>(end - now).count();
  }

  int m_master;
  std::string m_slavePath;
};

}  // namespace

std::unique_ptr<PseudoTerminal> PseudoTerminal::Open(std::string& error) {
  RawPseudoTerminal pair;
  if (!MakeRawPseudoTerminal(pair, error)) return nullptr;
  close(pair.slave);
  return std::make_unique<PosixPseudoTerminal>(pair.master, std::move(pair.slavePath));
}

}  // namespace zelvane::devsim
