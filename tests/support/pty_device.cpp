#include "support/pty_device.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/clock.h"
#include "platform/threads.h"

#if defined(_WIN32)
#include <cstdio>

#include "platform/comm.h"
#else
#include <poll.h>
#include <unistd.h>

#include "raw_pseudo_terminal.h"
#endif

namespace zelvane::testing {

#if !defined(_WIN32)

namespace {

// Port 12 on purpose: from COM10 on the library names ports under the device
// namespace, so every session test also goes through that mapping.
constexpr int kPort = 12;
constexpr int kMissingPort = 15;

}  // namespace

struct PtyDevice::Impl {
  int master = -1;
  // Held open so that the pair stays alive between the library's opens; nobody reads
  // from it, so it takes nothing from the library.
  int slave = -1;
  std::string error;

  bool Make() {
    devsim::RawPseudoTerminal pair;
    if (!devsim::MakeRawPseudoTerminal(pair, error)) return false;
    master = pair.master;
    slave = pair.slave;
    setenv(("ZELVANE_COM" + std::to_string(kPort)).c_str(), pair.slavePath.c_str(), 1);
    return true;
  }

  void Release() {
    if (master >= 0) close(master);
    if (slave >= 0) close(slave);
    master = slave = -1;
  }
};

PtyDevice::PtyDevice() : m_impl(std::make_unique<Impl>()) {
  m_impl->Make();
}

bool PtyDevice::Available() {
  return true;
}

PtyDevice::~PtyDevice() {
  m_impl->Release();
  unsetenv(("ZELVANE_COM" + std::to_string(kPort)).c_str());
}

bool PtyDevice::IsReady() const {
  return m_impl->master >= 0;
}
const std::string& PtyDevice::Error() const {
  return m_impl->error;
}
int PtyDevice::Port() const {
  return kPort;
}

bool PtyDevice::Write(std::string_view bytes) {
  std::size_t done = 0;
  const std::uint64_t giveUp = platform::TickMilliseconds() + 2000;
  while (done < bytes.size() && platform::TickMilliseconds() < giveUp) {
    const ssize_t written = write(m_impl->master, bytes.data() + done, bytes.size() - done);
    if (written > 0) {
      done += static_cast<std::size_t>(written);
    } else {
      platform::SleepMs(1);
    }
  }
  return done == bytes.size();
}

std::string PtyDevice::Read(std::size_t count, int timeoutMs) {
  std::string received;
  const std::uint64_t end = platform::TickMilliseconds() + static_cast<std::uint64_t>(timeoutMs);
  // Looks at least once, so that a read without a wait takes what is already in.
  while (received.size() < count) {
    const std::uint64_t now = platform::TickMilliseconds();
    pollfd readable{m_impl->master, POLLIN, 0};
    if (poll(&readable, 1, now < end ? static_cast<int>(end - now) : 0) > 0) {
      char chunk[4096];
      const std::size_t wanted = std::min(sizeof(chunk), count - received.size());
      const ssize_t got = read(m_impl->master, chunk, wanted);
      if (got > 0) {
        received.append(chunk, static_cast<std::size_t>(got));
      } else {
        platform::SleepMs(1);
      }
    }
    if (now >= end) break;
  }
  return received;
}

void PtyDevice::Disappear() {
  m_impl->Release();
}

bool PtyDevice::Reappear() {
  m_impl->Release();
  return m_impl->Make();
}

bool PtyDevice::ReportsLineStateAsSet() {
  return true;
}

int PtyDevice::MissingPort() {
  setenv(("ZELVANE_COM" + std::to_string(kMissingPort)).c_str(), "/nonexistent/zelvane-port", 1);
  return kMissingPort;
}

#else  // Windows, under the runner

namespace comm = platform::comm;

namespace {

int EnvironmentNumber(const char* name, int fallback) {
  const char* value = std::getenv(name);
  return (value != nullptr && *value != '\0') ? std::atoi(value) : fallback;
}

}  // namespace

struct PtyDevice::Impl {
  comm::Handle device = nullptr;
  std::string error;

  bool Make() {
    const int port = EnvironmentNumber("ZELVANE_TEST_DEVICE_PORT", 0);
    if (port <= 0) {
      error = "ZELVANE_TEST_DEVICE_PORT is not set: run through scripts/run_wine_serial_tests.sh";
      return false;
    }
    const std::string name = (port > 9 ? "\\\\.\\COM" : "COM") + std::to_string(port);
    // The runner's pair comes back a moment after it went away; wait for it.
    const std::uint64_t giveUp = platform::TickMilliseconds() + 5000;
    while ((device = comm::OpenDevice(name.c_str(), false)) == nullptr &&
           platform::TickMilliseconds() < giveUp) {
      platform::SleepMs(50);
    }
    if (device == nullptr) {
      error = "cannot open " + name + ": error " + std::to_string(comm::LastError());
      return false;
    }
    comm::Dcb line;
    comm::GetState(device, line);
    line.BaudRate = 9600;
    line.ByteSize = 8;
    line.Parity = comm::kNoParity;
    line.StopBits = comm::kOneStopBit;
    line.fParity = line.fOutxCtsFlow = line.fOutxDsrFlow = line.fOutX = line.fInX = false;
    comm::SetState(device, line);
    comm::Purge(device, comm::kPurgeRxClear | comm::kPurgeTxClear);
    return true;
  }

  void Release() {
    if (device != nullptr) comm::CloseDevice(device);
    device = nullptr;
  }

  // A read that returns as soon as a byte is there, or after `milliseconds`.
  void ReadTimeout(std::uint32_t milliseconds) {
    comm::Timeouts timeouts;
    timeouts.ReadIntervalTimeout = comm::kInfinite;
    timeouts.ReadTotalTimeoutMultiplier = comm::kInfinite;
    timeouts.ReadTotalTimeoutConstant = milliseconds;
    comm::SetTimeouts(device, timeouts);
  }
};

PtyDevice::PtyDevice() : m_impl(std::make_unique<Impl>()) {
  if (Available()) m_impl->Make();
}

PtyDevice::~PtyDevice() {
  m_impl->Release();
}

bool PtyDevice::Available() {
  return EnvironmentNumber("ZELVANE_TEST_DEVICE_PORT", 0) > 0;
}

bool PtyDevice::IsReady() const {
  return m_impl->device != nullptr;
}
const std::string& PtyDevice::Error() const {
  return m_impl->error;
}
int PtyDevice::Port() const {
  return EnvironmentNumber("ZELVANE_TEST_PORT", 0);
}

bool PtyDevice::Write(std::string_view bytes) {
  std::uint32_t written = 0;
  return comm::WriteBytes(m_impl->device, bytes.data(), static_cast<std::uint32_t>(bytes.size()),
                          &written, nullptr) &&
         written == bytes.size();
}

std::string PtyDevice::Read(std::size_t count, int timeoutMs) {
  std::string received;
  const std::uint64_t end = platform::TickMilliseconds() + static_cast<std::uint64_t>(timeoutMs);
  // Looks at least once, so that a read without a wait takes what is already in (a
  // total time-out of 0 would not be "no wait" for the port).
  while (received.size() < count) {
    const std::uint64_t now = platform::TickMilliseconds();
    m_impl->ReadTimeout(now < end ? static_cast<std::uint32_t>(end - now) : 1);
    char chunk[4096];
    const std::size_t wanted = std::min(sizeof(chunk), count - received.size());
    std::uint32_t got = 0;
    if (!comm::ReadBytes(m_impl->device, chunk, static_cast<std::uint32_t>(wanted), &got,
                         nullptr)) {
      platform::SleepMs(1);
    }
    received.append(chunk, got);
    if (now >= end) break;
  }
  return received;
}

// The runner ends the pair when asked through a file in the folder of its links (a
// Linux path, which Wine shows under drive Z:), which hangs up the library's end too;
// it then starts a new pair on the same names.
void PtyDevice::Disappear() {
  m_impl->Release();
  const char* links = std::getenv("ZELVANE_TEST_LINKS");
  if (links == nullptr) return;
  if (std::FILE* request = std::fopen((std::string("Z:") + links + "/vanish").c_str(), "w")) {
    std::fclose(request);
  }
  // Until the runner has seen it, the line is still there.
  platform::SleepMs(300);
}

bool PtyDevice::Reappear() {
  m_impl->Release();
  return m_impl->Make();
}

bool PtyDevice::ReportsLineStateAsSet() {
  return false;
}

int PtyDevice::MissingPort() {
  return EnvironmentNumber("ZELVANE_TEST_MISSING_PORT", 16);
}

#endif

}  // namespace zelvane::testing
