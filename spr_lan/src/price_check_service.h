#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "line_splitter.h"
#include "listen_address.h"
#include "scan_queue.h"
#include "sockets.h"
#include "spr_lan.h"

namespace spr_lan {

// The service: one thread serves every terminal's connection (accepts, reads scans,
// writes answers) and another puts the scans, one at a time in arrival order, through
// the price-request callback. Nothing a client sends can hold either of them or make
// memory grow without bound: lines, queues, answers and connections are all capped,
// and a client that stops reading its answers is let go.
class PriceCheckService {
 public:
  // Beyond this many connections the oldest that never scanned is let go.
  static constexpr std::size_t kMaxConnections = 100;
  static constexpr std::size_t kMaxUnsentBytes = 4096;

  struct Outcome {
    std::int32_t status = SPR_LAN_LISTENING;
    std::string message;
  };

  PriceCheckService() = default;
  PriceCheckService(const PriceCheckService&) = delete;
  PriceCheckService& operator=(const PriceCheckService&) = delete;
  ~PriceCheckService() { Stop(); }

  // Binds the address and starts serving; returns once the terminals can connect, or
  // with the status of what failed.
  Outcome Start(const ListenAddress& address, SprLanPriceRequest priceRequest);

  // Closes the listener and every connection; waits for the callback in progress.
  void Stop();

  bool IsRunning() const { return m_running; }
  // The port listened on (the free port chosen for port 0).
  std::uint16_t Port() const { return m_port; }

 private:
  struct Connection {
    ConnectionId id = 0;
    net::Socket socket = net::kNoSocket;
    LineSplitter lines;
    std::string unsent;
    bool scanned = false;
    bool gone = false;
  };

  void ServeConnections();
  void AcceptWaiting();
  // Whether a new connection may be kept, letting an idle one go if need be.
  bool MakeRoom();
  void ReadFrom(Connection& connection);
  void WriteTo(Connection& connection);
  void TakeAnswers();
  void DropGone();
  void AnswerScans();

  SprLanPriceRequest m_priceRequest = nullptr;
  net::Socket m_listener = net::kNoSocket;
  net::Waker m_waker;
  ScanQueue m_scans;
  std::atomic<bool> m_stopping{false};
  bool m_running = false;
  std::uint16_t m_port = 0;
  std::thread m_network;
  std::thread m_dispatcher;

  // Only the network thread touches the connections.
  std::vector<Connection> m_connections;
  ConnectionId m_lastId = 0;

  // Answers from the dispatcher to the network thread.
  std::mutex m_answersLock;
  std::vector<std::pair<ConnectionId, std::string>> m_answers;
};

}  // namespace spr_lan
