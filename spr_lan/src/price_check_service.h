#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "admission.h"
#include "line_splitter.h"
#include "listen_address.h"
#include "scan_queue.h"
#include "service_trace.h"
#include "sockets.h"
#include "spr_lan.h"

namespace spr_lan {

// The service: one thread serves every terminal's connection (accepts, reads scans,
// writes answers) and another puts the scans, one at a time and the terminals in
// turn, through the price-request callback. Every scan is answered on its own
// connection: with the host's answer, or with a cleared display when it was replaced
// by a newer scan of its terminal, waited past its turn or met the stop. Nothing a
// client sends can hold either thread or make memory grow without bound: lines,
// waiting scans, answers and connections are all capped, and a client that stops
// reading its answers is let go.
class PriceCheckService {
 public:
  static constexpr std::size_t kMaxConnections = AdmissionRules::kMaxConnections;
  static constexpr std::size_t kMaxUnsentBytes = 4096;

  struct Outcome {
    std::int32_t status = SPR_LAN_LISTENING;
    std::string message;
  };

  explicit PriceCheckService(ServiceTrace& trace = ProcessTrace()) : m_trace(trace) {}
  PriceCheckService(const PriceCheckService&) = delete;
  PriceCheckService& operator=(const PriceCheckService&) = delete;
  ~PriceCheckService() { Stop(); }

  // Binds the address and starts serving the terminals that the rules admit; returns
  // once they can connect, or with the status of what failed.
  Outcome Start(const ListenAddress& address, SprLanPriceRequest priceRequest,
                AdmissionRules rules = {});

  // Answers what waits with a cleared display, then closes the listener and every
  // connection; waits for the callback in progress.
  void Stop();

  bool IsRunning() const { return m_running; }
  // The port listened on (the free port chosen for port 0).
  std::uint16_t Port() const { return m_port; }
  ServiceTrace& Trace() { return m_trace; }

 private:
  struct Connection {
    ConnectionId id = 0;
    net::Socket socket = net::kNoSocket;
    Ipv4 peer = 0;
    LineSplitter lines;
    std::string unsent;
    std::uint64_t lastScan = 0;  // 0: never scanned
    std::size_t awaited = 0;     // scans put to the queue and not answered yet
    bool readClosed = false;     // the terminal shut its sending side
    bool gone = false;
    // Gone, or half-closed with every scan answered and sent.
    bool IsDone() const { return gone || (readClosed && awaited == 0 && unsent.empty()); }
  };

  void ServeConnections();
  int WaitLimitMs(Clock::time_point now) const;
  void AcceptWaiting();
  void Welcome(const net::Accepted& accepted);
  void TraceRefusal(Ipv4 peer);
  void ReadFrom(Connection& connection);
  void WriteTo(Connection& connection);
  void TakeAnswers();
  void AnswerExpired(Clock::time_point now);
  void AnswerCleared(Connection& connection);
  Connection* Find(ConnectionId id);
  void CloseDone();
  void CloseAll();

  void AnswerScans();
  std::string Ask(const Scan& scan);
  void PostAnswer(ConnectionId connection, std::string answer);

  ServiceTrace& m_trace;
  SprLanPriceRequest m_priceRequest = nullptr;
  AdmissionRules m_rules;
  net::Socket m_listener = net::kNoSocket;
  net::Waker m_waker;
  ScanQueue m_scans;
  std::atomic<bool> m_stopping{false};
  bool m_running = false;
  std::uint16_t m_port = 0;
  std::thread m_network;
  std::thread m_dispatcher;

  // Only the network thread touches these.
  std::vector<Connection> m_connections;
  ConnectionId m_lastId = 0;
  std::uint64_t m_scansRead = 0;
  Clock::time_point m_acceptAgain;
  // The addresses refused since the start, each written down once.
  static constexpr std::size_t kMaxTracedRefusals = 1000;
  std::set<Ipv4> m_refusedPeers;

  // Answers from the dispatcher (and the stop) to the network thread.
  std::mutex m_answersLock;
  std::vector<std::pair<ConnectionId, std::string>> m_answers;
};

}  // namespace spr_lan
