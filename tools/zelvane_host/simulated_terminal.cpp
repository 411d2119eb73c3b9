#include "simulated_terminal.h"

#include <chrono>
#include <cstdlib>

#include "listen_address.h"
#include "price_terminal.h"
#include "sockets.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace zelvane::host {
namespace {

constexpr const char* kListenVariable = "ZELVANE_PRICECHECK_LISTEN";
constexpr auto kBetweenScans = std::chrono::seconds(1);
constexpr auto kWaitForService = std::chrono::seconds(10);
// The terminal's own loopback address, as a terminal on the shop's network has one.
constexpr const char* kTerminalAddress = "127.0.0.2";

void SetListenAddress(const std::string& address) {
#if defined(_WIN32)
  ::SetEnvironmentVariableA(kListenVariable, address.c_str());
#else
  ::setenv(kListenVariable, address.c_str(), 1);
#endif
}

}  // namespace

std::unique_ptr<SimulatedTerminal> SimulatedTerminal::Start(std::vector<std::string> codes,
                                                            std::string& error) {
  if (!spr_lan::net::StartSockets()) {
    error = "no socket layer";
    return nullptr;
  }
  const spr_lan::net::Socket probe = spr_lan::net::OpenListener({"127.0.0.1", 0}, error);
  if (probe == spr_lan::net::kNoSocket) return nullptr;
  const std::string address = "127.0.0.1:" + std::to_string(spr_lan::net::LocalPort(probe));
  spr_lan::net::CloseSocket(probe);
  SetListenAddress(address);
  return std::unique_ptr<SimulatedTerminal>(new SimulatedTerminal(address, std::move(codes)));
}

SimulatedTerminal::SimulatedTerminal(std::string address, std::vector<std::string> codes)
    : m_address(std::move(address)), m_codes(std::move(codes)), m_player([this] { Play(); }) {}

SimulatedTerminal::~SimulatedTerminal() {
  m_stop = true;
  m_player.join();
}

void SimulatedTerminal::Play() {
  devsim::PlayPriceTerminal(
      *spr_lan::ParseListenAddress(m_address), m_codes,
      {kBetweenScans, kWaitForService, std::nullopt, devsim::kLongestAnswer, kTerminalAddress},
      m_stop, stdout);
}

}  // namespace zelvane::host
