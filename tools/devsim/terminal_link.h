#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "listen_address.h"
#include "sockets.h"

namespace spr_lan {

// A price-checker terminal's end of the connection, as the simulator, the tests and
// the benchmark play it: sends scanned codes, receives display commands.
class TerminalLink {
 public:
  using Clock = std::chrono::steady_clock;

  // What one receive brought: the bytes, when the first of them came, and whether the
  // service closed the connection.
  struct Received {
    std::string bytes;
    Clock::time_point firstByte;
    bool closed = false;
  };

  TerminalLink() = default;
  TerminalLink(const TerminalLink&) = delete;
  TerminalLink& operator=(const TerminalLink&) = delete;
  TerminalLink(TerminalLink&& other) noexcept;
  TerminalLink& operator=(TerminalLink&& other) noexcept;
  ~TerminalLink() { Close(); }

  // From the local address `from` when it is set (on loopback each terminal may have
  // an address of its own, 127.0.0.x, as on a shop's network).
  bool Connect(const ListenAddress& address, std::string& error, const std::string& from = "");
  // Every byte, waiting up to `limit` while the other side does not take them.
  bool Send(std::string_view bytes, std::chrono::milliseconds limit = std::chrono::seconds(2));
  // A scanned code as a terminal sends it: the code, CR, LF.
  bool SendCode(std::string_view code) { return Send(std::string(code) + "\r\n"); }
  // Waits up to `limit` for a first byte, then reads until `quiet` passes without one,
  // or until `enough` bytes came (a player that knows the answer it expects need not
  // wait for the quiet).
  Received Receive(std::chrono::milliseconds limit,
                   std::chrono::milliseconds quiet = std::chrono::milliseconds(50),
                   std::size_t enough = SIZE_MAX);
  // Shuts the terminal's sending side; its answers can still be received.
  void ShutSending() { net::ShutDownSending(m_socket); }
  void Close();
  bool IsOpen() const { return m_socket != net::kNoSocket; }

 private:
  net::Socket m_socket = net::kNoSocket;
};

// The terminal's screen after a run of display commands: ESC '%' clears it, CR starts
// a new line, every other byte is shown as it is (code page 852). Empty when cleared
// last with nothing after.
std::vector<std::string> ScreenLines(std::string_view commands);

}  // namespace spr_lan
