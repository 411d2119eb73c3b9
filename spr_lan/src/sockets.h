#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "listen_address.h"

// The little of TCP that the service needs, over POSIX sockets or Winsock. Every
// socket is non-blocking; nothing here raises a signal or throws.
namespace spr_lan::net {

using Socket = std::intptr_t;
inline constexpr Socket kNoSocket = -1;

// Results of ReceiveSome and SendSome besides a count of bytes.
inline constexpr long kWouldBlock = -1;
inline constexpr long kFailed = -2;

// Makes the socket layer usable in this process (Winsock); false when it is not.
bool StartSockets();

// A socket listening on the address; kNoSocket with the reason in `error`.
Socket OpenListener(const ListenAddress& address, std::string& error);

// The port a socket is bound to (0 when unknown).
std::uint16_t LocalPort(Socket socket);

// A connection to a listening address (the terminal's side), non-blocking once made,
// from the local IPv4 address `from` when it is not empty (a terminal of its own on
// loopback: 127.0.0.x); kNoSocket with the reason in `error`.
Socket ConnectTo(const ListenAddress& address, std::string& error, const std::string& from = "");

// What one accept brought.
struct Accepted {
  enum class Outcome {
    kConnection,  // `socket` and `peer` are set
    kNoneWaiting,
    kLost,        // a connection that went away before it was taken; try the next
    kRetryLater,  // no descriptor, no memory, or another failure of the listener
  };
  Outcome outcome = Outcome::kNoneWaiting;
  Socket socket = kNoSocket;
  std::uint32_t peer = 0;  // the peer's IPv4 address, first byte highest
};

// A waiting connection of a listener, non-blocking, with TCP keepalive (idle 60 s,
// then a few probes 10 s apart), so that a terminal that vanished without closing is
// found gone. On Windows its close is abortive: a connection closed there leaves no
// TIME_WAIT, which the listener's exclusive use would count against the port, so the
// next start can listen on it at once.
Accepted AcceptConnection(Socket listener);

// Bytes read (above 0), 0 when the peer closed, kWouldBlock or kFailed.
long ReceiveSome(Socket socket, char* buffer, std::size_t size);

// Bytes taken (0 or more), or kFailed (the peer went away).
long SendSome(Socket socket, const char* bytes, std::size_t size);

void CloseSocket(Socket socket);

// Ends the sending side of a connection (the peer reads its end); receiving goes on.
void ShutDownSending(Socket socket);

struct Watch {
  Socket socket = kNoSocket;
  bool wantRead = true;
  bool wantWrite = false;
  bool readable = false;  // also set for a closed or failed socket that is read
  bool writable = false;
};

// Waits up to `milliseconds` until a watched socket can be read (or written), as
// asked; marks them. False when the wait itself failed.
bool WaitForSockets(std::vector<Watch>& watches, int milliseconds);

// Wakes a WaitForSockets from another thread: its socket is watched with the others.
class Waker {
 public:
  Waker() = default;
  Waker(const Waker&) = delete;
  Waker& operator=(const Waker&) = delete;
  ~Waker() { Close(); }

  bool Open();
  void Close();
  void Wake();
  // Empties it after a wake-up, so the next wait sleeps again.
  void Drain();
  Socket Watched() const { return m_read; }

 private:
  Socket m_read = kNoSocket;
  Socket m_write = kNoSocket;
};

// A variable of the process environment; empty when unset.
std::string ReadEnvironment(const char* name);

}  // namespace spr_lan::net
