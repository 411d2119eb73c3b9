#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "sockets.h"

namespace spr_lan::net {
namespace {

int Fd(Socket socket) {
  return static_cast<int>(socket);
}

bool MakeNonBlocking(int fd) {
  const int flags = ::fcntl(fd, F_GETFL, 0);
  return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
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
  const int lookup = ::getaddrinfo(address.host.c_str(), port.c_str(), &hints, &found);
  if (lookup != 0 || found == nullptr) {
    error = std::string("unknown address: ") + ::gai_strerror(lookup);
    return FoundAddress(nullptr, &::freeaddrinfo);
  }
  return FoundAddress(found, &::freeaddrinfo);
}

// A terminal that vanished without closing (power cut, cable pulled) is found out:
// after 60 s without traffic, three probes 10 s apart. Failures leave the system's
// defaults, which still close the connection some time.
void KeepAlive(int fd) {
  const int on = 1;
  const int idleSeconds = 60;
  const int probeSeconds = 10;
  const int probes = 3;
  ::setsockopt(fd, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idleSeconds, sizeof idleSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &probeSeconds, sizeof probeSeconds);
  ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &probes, sizeof probes);
}

}  // namespace

bool StartSockets() {
  return true;
}

Socket OpenListener(const ListenAddress& address, std::string& error) {
  const FoundAddress found = LookUp(address, AI_PASSIVE, error);
  if (!found) return kNoSocket;
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::strerror(errno);
    return kNoSocket;
  }
  // A restart must not wait for the old connections' TIME_WAIT; a port that another
  // socket listens on is still refused.
  const int on = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  if (::bind(fd, found->ai_addr, found->ai_addrlen) != 0 || ::listen(fd, SOMAXCONN) != 0 ||
      !MakeNonBlocking(fd)) {
    error = std::strerror(errno);
    ::close(fd);
    return kNoSocket;
  }
  return fd;
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
  const int fd = ::socket(found->ai_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const bool connected =
      fd >= 0 &&
      (from.empty() || ::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0) &&
      ::connect(fd, found->ai_addr, found->ai_addrlen) == 0 && MakeNonBlocking(fd);
  if (!connected) {
    error = std::strerror(errno);
    if (fd >= 0) ::close(fd);
    return kNoSocket;
  }
  return fd;
}

std::uint16_t LocalPort(Socket socket) {
  sockaddr_in bound{};
  socklen_t size = sizeof bound;
  if (::getsockname(Fd(socket), reinterpret_cast<sockaddr*>(&bound), &size) != 0) return 0;
  return ntohs(bound.sin_port);
}

Accepted AcceptConnection(Socket listener) {
  sockaddr_in peer{};
  socklen_t size = sizeof peer;
  const int fd = ::accept4(Fd(listener), reinterpret_cast<sockaddr*>(&peer), &size,
                           SOCK_NONBLOCK | SOCK_CLOEXEC);
  if (fd < 0) {
    switch (errno) {
      case EAGAIN:
#if EWOULDBLOCK != EAGAIN
      case EWOULDBLOCK:
#endif
        return {Accepted::Outcome::kNoneWaiting};
      case EINTR:
      case ECONNABORTED:
      case EPROTO: return {Accepted::Outcome::kLost};
      default:
        // EMFILE, ENFILE, ENOBUFS, ENOMEM: the waiting connection stays waiting, so
        // trying again at once would only spin.
        return {Accepted::Outcome::kRetryLater};
    }
  }
  KeepAlive(fd);
  return {Accepted::Outcome::kConnection, fd, ntohl(peer.sin_addr.s_addr)};
}

long ReceiveSome(Socket socket, char* buffer, std::size_t size) {
  const ssize_t got = ::recv(Fd(socket), buffer, size, 0);
  if (got >= 0) return static_cast<long>(got);
  return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? kWouldBlock : kFailed;
}

long SendSome(Socket socket, const char* bytes, std::size_t size) {
  // A peer that went away must not end the host's process with SIGPIPE.
  const ssize_t sent = ::send(Fd(socket), bytes, size, MSG_NOSIGNAL);
  if (sent >= 0) return static_cast<long>(sent);
  return (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) ? 0 : kFailed;
}

void CloseSocket(Socket socket) {
  if (socket != kNoSocket) ::close(Fd(socket));
}

void ShutDownSending(Socket socket) {
  if (socket != kNoSocket) ::shutdown(Fd(socket), SHUT_WR);
}

bool WaitForSockets(std::vector<Watch>& watches, int milliseconds) {
  std::vector<pollfd> polled(watches.size());
  for (std::size_t i = 0; i < watches.size(); ++i) {
    polled[i].fd = Fd(watches[i].socket);
    polled[i].events = static_cast<short>((watches[i].wantRead ? POLLIN : 0) |
                                          (watches[i].wantWrite ? POLLOUT : 0));
  }
  const int ready = ::poll(polled.data(), polled.size(), milliseconds);
  if (ready < 0) return errno == EINTR;
  for (std::size_t i = 0; i < watches.size(); ++i) {
    watches[i].readable =
        watches[i].wantRead && (polled[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
    watches[i].writable = (polled[i].revents & POLLOUT) != 0;
  }
  return true;
}

bool Waker::Open() {
  int ends[2] = {-1, -1};
  if (::pipe2(ends, O_NONBLOCK | O_CLOEXEC) != 0) return false;
  m_read = ends[0];
  m_write = ends[1];
  return true;
}

void Waker::Close() {
  CloseSocket(m_read);
  CloseSocket(m_write);
  m_read = m_write = kNoSocket;
}

void Waker::Wake() {
  const char byte = 1;
  // A full pipe already wakes the reader.
  [[maybe_unused]] const ssize_t written = ::write(Fd(m_write), &byte, 1);
}

void Waker::Drain() {
  char bytes[64];
  while (::read(Fd(m_read), bytes, sizeof bytes) > 0) {
  }
}

std::string ReadEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace spr_lan::net
