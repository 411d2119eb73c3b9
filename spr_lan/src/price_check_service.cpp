#include "price_check_service.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "terminal_answer.h"

namespace spr_lan {
namespace {

using Milliseconds = std::chrono::milliseconds;

// The network thread checks its stop flag at least this often even without a wake-up.
constexpr Milliseconds kLongestWait{1000};
// A listener that cannot accept (no descriptor left) is left alone this long, so that
// its waiting connection does not make every wait return at once.
constexpr Milliseconds kAcceptPause{100};
// Accepts in one round at most: a flood of connections must not starve the terminals
// that are connected.
constexpr int kAcceptsPerRound = 16;
constexpr std::size_t kReadChunk = 4096;
// The display buffers handed to the callback, with room to spare.
constexpr std::size_t kDisplayBuffer = 64;

std::string Describe(const ListenAddress& address) {
  return address.host + ":" + std::to_string(address.port);
}

}  // namespace

PriceCheckService::Outcome PriceCheckService::Start(const ListenAddress& address,
                                                    SprLanPriceRequest priceRequest,
                                                    AdmissionRules rules) {
  if (m_running)
    return {SPR_LAN_ALREADY_RUNNING, "already listening on port " + std::to_string(m_port)};
  if (priceRequest == nullptr) return {SPR_LAN_NO_RESOURCES, "no price-request callback"};
  if (!net::StartSockets()) return {SPR_LAN_NO_RESOURCES, "no socket layer"};
  std::string why;
  m_listener = net::OpenListener(address, why);
  if (m_listener == net::kNoSocket) {
    return {SPR_LAN_CANNOT_LISTEN, "cannot listen on " + Describe(address) + ": " + why};
  }
  if (!m_waker.Open()) {
    net::CloseSocket(m_listener);
    m_listener = net::kNoSocket;
    return {SPR_LAN_NO_RESOURCES, "no wake-up channel"};
  }
  m_port = net::LocalPort(m_listener);
  m_priceRequest = priceRequest;
  m_rules = std::move(rules);
  m_acceptAgain = Clock::time_point();
  m_refusedPeers.clear();
  m_stopping = false;
  m_scans.Restart();
  try {
    m_network = std::thread(&PriceCheckService::ServeConnections, this);
    m_dispatcher = std::thread(&PriceCheckService::AnswerScans, this);
  } catch (const std::system_error&) {
    m_running = true;
    Stop();
    return {SPR_LAN_NO_RESOURCES, "no thread"};
  }
  m_running = true;
  return {SPR_LAN_LISTENING, "listening on " + Describe({address.host, m_port})};
}

void PriceCheckService::Stop() {
  if (!m_running) return;
  // The scans that wait are answered with a cleared display, and the one being asked
  // with its answer, before the connections close.
  for (const Scan& scan : m_scans.Stop()) PostAnswer(scan.connection, std::string(kClearScreen));
  if (m_dispatcher.joinable()) m_dispatcher.join();
  m_stopping = true;
  m_waker.Wake();
  if (m_network.joinable()) m_network.join();
  net::CloseSocket(m_listener);
  m_listener = net::kNoSocket;
  m_waker.Close();
  m_answers.clear();
  m_running = false;
}

void PriceCheckService::ServeConnections() {
  std::vector<net::Watch> watches;
  // Which connection each watch after the waker (and the listener) stands for.
  std::vector<std::size_t> watched;
  while (!m_stopping) {
    const bool accepting = Clock::now() >= m_acceptAgain;
    watches.assign({{m_waker.Watched()}});
    if (accepting) watches.push_back({m_listener});
    const std::size_t firstConnection = watches.size();
    watched.clear();
    for (std::size_t i = 0; i < m_connections.size(); ++i) {
      const Connection& connection = m_connections[i];
      // A half-closed connection is only watched while its answer waits to be sent.
      if (connection.readClosed && connection.unsent.empty()) continue;
      watches.push_back({connection.socket, !connection.readClosed, !connection.unsent.empty()});
      watched.push_back(i);
    }
    if (!net::WaitForSockets(watches, WaitLimitMs(Clock::now()))) break;
    if (m_stopping) break;
    if (watches[0].readable) m_waker.Drain();
    TakeAnswers();
    AnswerExpired(Clock::now());
    if (accepting && watches[1].readable) AcceptWaiting();
    // The connections accepted just now were not watched; they are read next round.
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (watches[firstConnection + i].readable) ReadFrom(m_connections[watched[i]]);
    }
    for (Connection& connection : m_connections) WriteTo(connection);
    CloseDone();
  }
  CloseAll();
}

// Until the next scan's turn runs out or the listener may be tried again, rounded up so
// that the wait does not end just before.
int PriceCheckService::WaitLimitMs(Clock::time_point now) const {
  Clock::time_point end = now + kLongestWait;
  if (const std::optional<Clock::time_point> expiry = m_scans.NextExpiry())
    end = std::min(end, *expiry);
  if (m_acceptAgain > now) end = std::min(end, m_acceptAgain);
  const auto left = std::chrono::ceil<Milliseconds>(end - now);
  return static_cast<int>(std::max(left, Milliseconds(0)).count());
}

void PriceCheckService::AcceptWaiting() {
  for (int round = 0; round < kAcceptsPerRound; ++round) {
    const net::Accepted accepted = net::AcceptConnection(m_listener);
    switch (accepted.outcome) {
      case net::Accepted::Outcome::kNoneWaiting: return;
      case net::Accepted::Outcome::kLost: continue;
      case net::Accepted::Outcome::kRetryLater: m_acceptAgain = Clock::now() + kAcceptPause; return;
      case net::Accepted::Outcome::kConnection: Welcome(accepted); break;
    }
  }
}

void PriceCheckService::Welcome(const net::Accepted& accepted) {
  std::vector<Seat> seats;
  for (const Connection& connection : m_connections) {
    if (!connection.gone) seats.push_back({connection.id, connection.peer, connection.lastScan});
  }
  const Admission admission = Admit(m_rules, accepted.peer, seats);
  if (!admission.admitted) {
    TraceRefusal(accepted.peer);
    // Closed before anything is read: a stranger gets no say at all.
    net::CloseSocket(accepted.socket);
    return;
  }
  if (admission.makesWay) {
    if (Connection* old = Find(*admission.makesWay)) old->gone = true;
  }
  Connection connection;
  connection.id = ++m_lastId;
  connection.socket = accepted.socket;
  connection.peer = accepted.peer;
  m_connections.push_back(std::move(connection));
}

// An address that keeps trying is written down once per start: the trace says who
// knocked, not how often.
void PriceCheckService::TraceRefusal(Ipv4 peer) {
  if (m_refusedPeers.size() >= kMaxTracedRefusals || !m_refusedPeers.insert(peer).second) return;
  m_trace.Write("refused a connection from " + FormatIpv4(peer) +
                ", an address off the allow list (its further attempts are not written down)");
}

void PriceCheckService::ReadFrom(Connection& connection) {
  // One that made way for a new connection this round is not read any more.
  if (connection.gone) return;
  char bytes[kReadChunk];
  const long got = net::ReceiveSome(connection.socket, bytes, sizeof bytes);
  if (got == net::kWouldBlock) return;
  if (got == 0) {
    // The terminal shut its sending side: its scans are still answered.
    connection.readClosed = true;
    return;
  }
  if (got < 0) {
    connection.gone = true;
    return;
  }
  for (std::string& code : connection.lines.Feed({bytes, static_cast<std::size_t>(got)})) {
    connection.lastScan = ++m_scansRead;
    ++connection.awaited;
    if (m_scans.Push({connection.id, std::move(code), Clock::now()})) AnswerCleared(connection);
  }
}

void PriceCheckService::WriteTo(Connection& connection) {
  if (connection.gone || connection.unsent.empty()) return;
  const long sent =
      net::SendSome(connection.socket, connection.unsent.data(), connection.unsent.size());
  if (sent == net::kFailed) {
    connection.gone = true;
    return;
  }
  connection.unsent.erase(0, static_cast<std::size_t>(sent));
  // A terminal that does not read its answers is not waited for.
  if (connection.unsent.size() > kMaxUnsentBytes) connection.gone = true;
}

void PriceCheckService::TakeAnswers() {
  std::vector<std::pair<ConnectionId, std::string>> answers;
  {
    const std::lock_guard<std::mutex> hold(m_answersLock);
    answers.swap(m_answers);
  }
  for (const auto& [id, answer] : answers) {
    Connection* connection = Find(id);
    if (connection == nullptr) continue;
    connection->unsent += answer;
    --connection->awaited;
  }
}

void PriceCheckService::AnswerExpired(Clock::time_point now) {
  for (const Scan& scan : m_scans.TakeExpired(now)) {
    if (Connection* connection = Find(scan.connection)) AnswerCleared(*connection);
  }
}

// The answer of a scan that nobody was asked about: the display is cleared, so the
// customer is not left looking at the previous article.
void PriceCheckService::AnswerCleared(Connection& connection) {
  connection.unsent += kClearScreen;
  --connection.awaited;
}

PriceCheckService::Connection* PriceCheckService::Find(ConnectionId id) {
  const auto found =
      std::find_if(m_connections.begin(), m_connections.end(),
                   [&](const Connection& connection) { return connection.id == id; });
  return found != m_connections.end() ? &*found : nullptr;
}

void PriceCheckService::CloseDone() {
  for (const Connection& connection : m_connections) {
    if (!connection.IsDone()) continue;
    net::CloseSocket(connection.socket);
    m_scans.Forget(connection.id);
  }
  std::erase_if(m_connections, [](const Connection& connection) { return connection.IsDone(); });
}

// At the stop: what was answered goes out as far as the connections take it at once.
void PriceCheckService::CloseAll() {
  TakeAnswers();
  for (Connection& connection : m_connections) {
    WriteTo(connection);
    net::CloseSocket(connection.socket);
  }
  m_connections.clear();
}

void PriceCheckService::AnswerScans() {
  while (std::optional<Scan> scan = m_scans.PopWait()) {
    // A scan the terminal has stopped waiting for is not put to the host.
    PostAnswer(scan->connection,
               IsPastItsTurn(*scan, Clock::now()) ? std::string(kClearScreen) : Ask(*scan));
  }
}

std::string PriceCheckService::Ask(const Scan& scan) {
  char display[kDisplayBuffer] = {};
  char displayCopy[kDisplayBuffer] = {};
  std::int32_t kind = 0;
  std::int32_t second = 0;
  m_priceRequest(0, scan.code.c_str(), display, &kind, &second, displayCopy);
  return ComposeTerminalAnswer(kind,
                               std::string_view(display, ::strnlen(display, SPR_LAN_DISPLAY_SIZE)));
}

void PriceCheckService::PostAnswer(ConnectionId connection, std::string answer) {
  {
    const std::lock_guard<std::mutex> hold(m_answersLock);
    m_answers.emplace_back(connection, std::move(answer));
  }
  m_waker.Wake();
}

}  // namespace spr_lan
