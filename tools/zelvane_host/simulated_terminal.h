#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zelvane::host {

// A price-checker terminal played on a thread of the host for as long as the object
// lives: the library's service is set to listen on a free loopback port, and the
// terminal connects to it once it listens and scans the codes, a second apart.
class SimulatedTerminal {
 public:
  static std::unique_ptr<SimulatedTerminal> Start(std::vector<std::string> codes,
                                                  std::string& error);
  ~SimulatedTerminal();
  SimulatedTerminal(const SimulatedTerminal&) = delete;
  SimulatedTerminal& operator=(const SimulatedTerminal&) = delete;

  // The service's address, host:port.
  const std::string& Address() const { return m_address; }

 private:
  SimulatedTerminal(std::string address, std::vector<std::string> codes);
  void Play();

  std::string m_address;
  std::vector<std::string> m_codes;
  std::atomic<bool> m_stop{false};
  std::thread m_player;
};

}  // namespace zelvane::host
