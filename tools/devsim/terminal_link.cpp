#include "terminal_link.h"

#include <thread>
#include <utility>

#include "terminal_answer.h"

namespace spr_lan {
namespace {

using Milliseconds = std::chrono::milliseconds;

int RemainingMs(TerminalLink::Clock::time_point end) {
  const auto left = std::chrono::duration_cast<Milliseconds>(end - TerminalLink::Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

// Waits until the socket can be read (or written) or the end passes.
bool WaitFor(net::Socket socket, bool write, TerminalLink::Clock::time_point end) {
  std::vector<net::Watch> watches{{socket, !write, write}};
  if (!net::WaitForSockets(watches, RemainingMs(end))) return false;
  return write ? watches[0].writable : watches[0].readable;
}

}  // namespace

TerminalLink::TerminalLink(TerminalLink&& other) noexcept
    : m_socket(std::exchange(other.m_socket, net::kNoSocket)) {}

TerminalLink& TerminalLink::operator=(TerminalLink&& other) noexcept {
  if (this != &other) {
    Close();
    m_socket = std::exchange(other.m_socket, net::kNoSocket);
  }
  return *this;
}

bool TerminalLink::Connect(const ListenAddress& address, std::string& error,
                           const std::string& from) {
  Close();
  if (!net::StartSockets()) {
    error = "no socket layer";
    return false;
  }
  m_socket = net::ConnectTo(address, error, from);
  return IsOpen();
}

bool TerminalLink::Send(std::string_view bytes, Milliseconds limit) {
  const Clock::time_point end = Clock::now() + limit;
  while (IsOpen() && !bytes.empty()) {
    const long sent = net::SendSome(m_socket, bytes.data(), bytes.size());
    if (sent == net::kFailed) return false;
    bytes.remove_prefix(static_cast<std::size_t>(sent));
    if (!bytes.empty() && (Clock::now() >= end || !WaitFor(m_socket, true, end))) return false;
  }
  return IsOpen();
}

TerminalLink::Received TerminalLink::Receive(Milliseconds limit, Milliseconds quiet,
                                             std::size_t enough) {
  Received received;
  Clock::time_point end = Clock::now() + limit;
  char bytes[4096];
  while (IsOpen() && received.bytes.size() < enough && WaitFor(m_socket, false, end)) {
    const long got = net::ReceiveSome(m_socket, bytes, sizeof bytes);
    if (got == net::kWouldBlock) continue;
    if (got <= 0) {
      received.closed = true;
      break;
    }
    if (received.bytes.empty()) received.firstByte = Clock::now();
    received.bytes.append(bytes, static_cast<std::size_t>(got));
    end = Clock::now() + quiet;
  }
  return received;
}

void TerminalLink::Close() {
  net::CloseSocket(m_socket);
  m_socket = net::kNoSocket;
}

std::vector<std::string> ScreenLines(std::string_view commands) {
  std::vector<std::string> lines;
  while (!commands.empty()) {
    if (commands.substr(0, kClearScreen.size()) == kClearScreen) {
      lines.assign(1, std::string());
      commands.remove_prefix(kClearScreen.size());
      continue;
    }
    if (lines.empty()) lines.emplace_back();
    if (commands.front() == kNewLine) {
      lines.emplace_back();
    } else {
      lines.back().push_back(commands.front());
    }
    commands.remove_prefix(1);
  }
  if (lines.size() == 1 && lines[0].empty()) lines.clear();
  return lines;
}

}  // namespace spr_lan
