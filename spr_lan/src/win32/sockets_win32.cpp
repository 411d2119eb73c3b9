// Winsock must come before windows.h.
#include <winsock2.h>
#include <ws2tcpip.h>
// After winsock2.h: SIO_KEEPALIVE_VALS.
#include <mstcpip.h>

#include <windows.h>

#include <memory>
#include <mutex>

#include "sockets.h"

namespace spr_lan::net {
namespace {

SOCKET Handle(Socket socket) {
  return static_cast<SOCKET>(socket);
}

bool MakeNonBlocking(SOCKET handle) {
  u_long on = 1;
  return ::ioctlsocket(handle, FIONBIO, &on) == 0;
}

std::string LastSocketError() {
  return "Winsock error " + std::to_string(::WSAGetLastError());
}

using FoundAddress = std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)>;

// The IPv4 address of `address` for a TCP socket (`flags` as getaddrinfo's); null with
// `error` set when there is none.
FoundAddress LookUp(const ListenAddress& address, int flags, std::string& error) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = flags;
  addrinfo* found = nullptr;
  const std::string port = std::to_string(address.port);
  if (::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) {
    error = "unknown address: " + LastSocketError();
    return FoundAddress(nullptr, &::freeaddrinfo);
  }
  return FoundAddress(found, &::freeaddrinfo);
}

// A terminal that vanished without closing (power cut, cable pulled) is found out:
// after 60 s without traffic, probes 10 s apart (Windows sends ten). Failures leave
// the system's defaults, which still close the connection some time.
void KeepAlive(SOCKET handle) {
  const BOOL on = TRUE;
  ::setsockopt(handle, SOL_SOCKET, SO_KEEPALIVE, reinterpret_cast<const char*>(&on), sizeof on);
  tcp_keepalive timing{1, 60000, 10000};
  DWORD returned = 0;
  ::WSAIoctl(handle, SIO_KEEPALIVE_VALS, &timing, sizeof timing, nullptr, 0, &returned, nullptr,
             nullptr);
}

}  // namespace

bool StartSockets() {
  // Once per process; Winsock stays started until the process ends.
  static std::once_flag started;
  static bool usable = false;
  std::call_once(started, [] {
    WSADATA data{};
    usable = ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return usable;
}

Socket OpenListener(const ListenAddress& address, std::string& error) {
  const FoundAddress found = LookUp(address, AI_PASSIVE, error);
  if (!found) return kNoSocket;
  const SOCKET handle = ::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
  if (handle == INVALID_SOCKET) {
    error = LastSocketError();
    return kNoSocket;
  }
  // Nobody else may bind the same port beside the service.
  const BOOL on = TRUE;
  ::setsockopt(handle, SOL_SOCKET, SO_EXCLUSIVEADDRUSE, reinterpret_cast<const char*>(&on),
               sizeof on);
  if (::bind(handle, found->ai_addr, static_cast<int>(found->ai_addrlen)) != 0 ||
      ::listen(handle, SOMAXCONN) != 0 || !MakeNonBlocking(handle)) {
    error = LastSocketError();
    ::closesocket(handle);
    return kNoSocket;
  }
  return static_cast<Socket>(handle);
}

Socket ConnectTo(const ListenAddress& address, std::string& error, const std::string& from) {
  const FoundAddress found = LookUp(address, 0, error);
  if (!found) return kNoSocket;
  sockaddr_in local{};
  local.sin_family = AF_INET;
  if (!from.empty() && ::inet_pton(AF_INET, from.c_str(), &local.sin_addr) != 1) {
    error = "not an IPv4 address: " + from;
    return kNoSocket;
  }
  const SOCKET handle = ::socket(found->ai_family, SOCK_STREAM, IPPROTO_TCP);
  const bool connected =
      handle != INVALID_SOCKET &&
      (from.empty() || ::bind(handle, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) &&
      ::connect(handle, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0 &&
      MakeNonBlocking(handle);
  if (!connected) {
    error = LastSocketError();
    if (handle != INVALID_SOCKET) ::closesocket(handle);
    return kNoSocket;
  }
  return static_cast<Socket>(handle);
}

std::uint16_t LocalPort(Socket socket) {
  sockaddr_in bound{};
  int size = sizeof bound;
  if (::getsockname(Handle(socket), reinterpret_cast<sockaddr*>(&bound), &size) != 0) return 0;
  return ntohs(bound.sin_port);
}

Accepted AcceptConnection(Socket listener) {
  sockaddr_in peer{};
  int size = sizeof peer;
  const SOCKET handle = ::accept(Handle(listener), reinterpret_cast<sockaddr*>(&peer), &size);
  if (handle == INVALID_SOCKET) {
    switch (::WSAGetLastError()) {
      case WSAEWOULDBLOCK: return {Accepted::Outcome::kNoneWaiting};
      case WSAECONNRESET:
      case WSAEINTR: return {Accepted::Outcome::kLost};
      // WSAEMFILE, WSAENOBUFS: the waiting connection stays waiting, so trying again
      // at once would only spin.
      default: return {Accepted::Outcome::kRetryLater};
    }
  }
  if (!MakeNonBlocking(handle)) {
    ::closesocket(handle);
    return {Accepted::Outcome::kLost};
  }
  KeepAlive(handle);
  // Abortive close, so that no TIME_WAIT holds the port (see the header).
  const linger abortive{1, 0};
  ::setsockopt(handle, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&abortive),
               sizeof abortive);
  return {Accepted::Outcome::kConnection, static_cast<Socket>(handle), ntohl(peer.sin_addr.s_addr)};
}

long ReceiveSome(Socket socket, char* buffer, std::size_t size) {
  const int got = ::recv(Handle(socket), buffer, static_cast<int>(size), 0);
  if (got >= 0) return got;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? kWouldBlock : kFailed;
}

long SendSome(Socket socket, const char* bytes, std::size_t size) {
  const int sent = ::send(Handle(socket), bytes, static_cast<int>(size), 0);
  if (sent >= 0) return sent;
  return ::WSAGetLastError() == WSAEWOULDBLOCK ? 0 : kFailed;
}

void CloseSocket(Socket socket) {
  if (socket != kNoSocket) ::closesocket(Handle(socket));
}

void ShutDownSending(Socket socket) {
  if (socket != kNoSocket) ::shutdown(Handle(socket), SD_SEND);
}

bool WaitForSockets(std::vector<Watch>& watches, int milliseconds) {
  std::vector<WSAPOLLFD> polled(watches.size());
  for (std::size_t i = 0; i < watches.size(); ++i) {
    polled[i].fd = Handle(watches[i].socket);
    polled[i].events = static_cast<SHORT>((watches[i].wantRead ? POLLRDNORM : 0) |
                                          (watches[i].wantWrite ? POLLWRNORM : 0));
  }
  if (::WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), milliseconds) == SOCKET_ERROR) {
    return false;
  }
  for (std::size_t i = 0; i < watches.size(); ++i) {
    watches[i].readable =
        watches[i].wantRead && (polled[i].revents & (POLLRDNORM | POLLHUP | POLLERR)) != 0;
    watches[i].writable = (polled[i].revents & POLLWRNORM) != 0;
  }
  return true;
}

// Windows has no pipe that WSAPoll watches: a loopback datagram socket sends itself
// the wake-up byte.
bool Waker::Open() {
  const SOCKET handle = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (handle == INVALID_SOCKET) return false;
  sockaddr_in loopback{};
  loopback.sin_family = AF_INET;
  loopback.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int size = sizeof loopback;
  const bool connected =
      ::bind(handle, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback) == 0 &&
      ::getsockname(handle, reinterpret_cast<sockaddr*>(&loopback), &size) == 0 &&
      ::connect(handle, reinterpret_cast<sockaddr*>(&loopback), sizeof loopback) == 0 &&
      MakeNonBlocking(handle);
  if (!connected) {
    ::closesocket(handle);
    return false;
  }
  m_read = m_write = static_cast<Socket>(handle);
  return true;
}

void Waker::Close() {
  CloseSocket(m_read);
  m_read = m_write = kNoSocket;
}

void Waker::Wake() {
  const char byte = 1;
  ::send(Handle(m_write), &byte, 1, 0);
}

void Waker::Drain() {
  char bytes[64];
  while (::recv(Handle(m_read), bytes, sizeof bytes, 0) > 0) {
  }
}

std::string ReadEnvironment(const char* name) {
  // The process's own block: a copy of the C library's would miss later changes.
  char value[512] = {};
  const DWORD length = ::GetEnvironmentVariableA(name, value, sizeof value);
  return (length > 0 && length < sizeof value) ? std::string(value, length) : std::string();
}

}  // namespace spr_lan::net
