#include "price_check_service.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "terminal_answer.h"

namespace spr_lan {
namespace {

// The network thread checks its stop flag at least this often even without a wake-up.
constexpr int kLongestWaitMs = 1000;
constexpr std::size_t kReadChunk = 4096;
// The display buffers handed to the callback, with room to spare.
constexpr std::size_t kDisplayBuffer = 64;

std::string Describe(const ListenAddress& address) {
  return address.host + ":" + std::to_string(address.port);
}

}  // namespace

PriceCheckService::Outcome PriceCheckService::Start(const ListenAddress& address,
                                                    SprLanPriceRequest priceRequest) {
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
  m_stopping = true;
  m_waker.Wake();
  m_scans.Stop();
  if (m_network.joinable()) m_network.join();
  if (m_dispatcher.joinable()) m_dispatcher.join();
  net::CloseSocket(m_listener);
  m_listener = net::kNoSocket;
  m_waker.Close();
  m_answers.clear();
  m_running = false;
}

void PriceCheckService::ServeConnections() {
  std::vector<net::Watch> watches;
  while (!m_stopping) {
    watches.assign({{m_waker.Watched()}, {m_listener}});
    for (const Connection& connection : m_connections) {
      watches.push_back({connection.socket, !connection.unsent.empty()});
    }
    if (!net::WaitForSockets(watches, kLongestWaitMs)) break;
    if (m_stopping) break;
    if (watches[0].readable) m_waker.Drain();
    TakeAnswers();
    if (watches[1].readable) AcceptWaiting();
    // The connections accepted just now were not watched; they are read next round.
    for (std::size_t i = 2; i < watches.size(); ++i) {
      if (watches[i].readable) ReadFrom(m_connections[i - 2]);
    }
    for (Connection& connection : m_connections) WriteTo(connection);
    DropGone();
  }
  for (Connection& connection : m_connections) net::CloseSocket(connection.socket);
  m_connections.clear();
}

void PriceCheckService::AcceptWaiting() {
  for (;;) {
    const net::Socket accepted = net::AcceptConnection(m_listener);
    if (accepted == net::kNoSocket) return;
    if (!MakeRoom()) {
      net::CloseSocket(accepted);
      continue;
    }
    Connection connection;
    connection.id = ++m_lastId;
    connection.socket = accepted;
    m_connections.push_back(std::move(connection));
  }
}

bool PriceCheckService::MakeRoom() {
  const auto open = std::count_if(m_connections.begin(), m_connections.end(),
                                  [](const Connection& connection) { return !connection.gone; });
  if (static_cast<std::size_t>(open) < kMaxConnections) return true;
  // A crowd of connections that never scan must not lock the terminals out: the
  // oldest of them makes way. Terminals that have scanned keep their place.
  const auto idle = std::find_if(
      m_connections.begin(), m_connections.end(),
      [](const Connection& connection) { return !connection.gone && !connection.scanned; });
  if (idle == m_connections.end()) return false;
  idle->gone = true;
  return true;
}

void PriceCheckService::ReadFrom(Connection& connection) {
  char bytes[kReadChunk];
  const long got = net::ReceiveSome(connection.socket, bytes, sizeof bytes);
  if (got == net::kWouldBlock) return;
  if (got <= 0) {
    connection.gone = true;
    return;
  }
  for (std::string& code : connection.lines.Feed({bytes, static_cast<std::size_t>(got)})) {
    connection.scanned = true;
    m_scans.Push({connection.id, std::move(code)});
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
  for (const auto& answer : answers) {
    const auto found =
        std::find_if(m_connections.begin(), m_connections.end(),
                     [&](const Connection& connection) { return connection.id == answer.first; });
    if (found != m_connections.end()) found->unsent += answer.second;
  }
}

void PriceCheckService::DropGone() {
  for (const Connection& connection : m_connections) {
    if (!connection.gone) continue;
    net::CloseSocket(connection.socket);
    m_scans.Forget(connection.id);
  }
  std::erase_if(m_connections, [](const Connection& connection) { return connection.gone; });
}

void PriceCheckService::AnswerScans() {
  while (std::optional<Scan> scan = m_scans.PopWait()) {
    char display[kDisplayBuffer] = {};
    char displayCopy[kDisplayBuffer] = {};
    std::int32_t kind = 0;
    std::int32_t second = 0;
    m_priceRequest(0, scan->code.c_str(), display, &kind, &second, displayCopy);
    std::string answer = ComposeTerminalAnswer(
        kind, std::string_view(display, ::strnlen(display, SPR_LAN_DISPLAY_SIZE)));
    {
      const std::lock_guard<std::mutex> hold(m_answersLock);
      m_answers.emplace_back(scan->connection, std::move(answer));
    }
    m_waker.Wake();
  }
}

}  // namespace spr_lan
