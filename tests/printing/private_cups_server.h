#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelvane::testing {

// A CUPS scheduler of the test's own: its configuration, spool and state in a
// temporary folder, reachable only through a Unix socket that CUPS_SERVER names for
// this process. It needs root (cupsd runs its jobs as lp). Queues are raw, their
// device a TCP port on loopback, so the bytes that reach the "printer" are exactly
// what the server sent.
class PrivateCupsServer {
 public:
  PrivateCupsServer();  // starts it; see Error()
  ~PrivateCupsServer();
  PrivateCupsServer(const PrivateCupsServer&) = delete;
  PrivateCupsServer& operator=(const PrivateCupsServer&) = delete;

  // Why the server is not running, with its log; empty while it runs.
  const std::string& Error() const { return m_error; }
  const std::string& Socket() const { return m_socket; }

  // lpadmin / cupsdisable / cupsreject; false with the tool's output in Error().
  bool AddRawQueue(const std::string& name, std::uint16_t port);
  bool StopQueue(const std::string& name);
  bool RejectJobs(const std::string& name);

 private:
  bool Run(const std::vector<std::string>& command);
  std::string Log() const;

  std::string m_folder;
  std::string m_socket;
  pid_t m_pid = -1;
  std::string m_error;
};

// A listening TCP socket on 127.0.0.1 that plays a raw network printer: it takes one
// connection and keeps what arrives until the sender closes.
class RawPrinterPort {
 public:
  RawPrinterPort();
  ~RawPrinterPort();
  RawPrinterPort(const RawPrinterPort&) = delete;
  RawPrinterPort& operator=(const RawPrinterPort&) = delete;

  std::uint16_t Port() const { return m_port; }

  // The bytes of the next job, or nothing when no job came within `wait`.
  std::optional<std::vector<std::uint8_t>> Receive(std::chrono::milliseconds wait);

 private:
  int m_listener = -1;
  std::uint16_t m_port = 0;
};

}  // namespace zelvane::testing
