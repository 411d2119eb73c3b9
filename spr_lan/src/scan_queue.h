#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>

namespace spr_lan {

using ConnectionId = std::uint64_t;

// One code scanned at a terminal, to be answered on the terminal's connection.
struct Scan {
  ConnectionId connection = 0;
  std::string code;
  bool operator==(const Scan&) const = default;
};

// The scans of every terminal in the order they arrived, served one at a time. A
// terminal waits for its answer before it scans again, so more than a few scans from
// one connection are a misbehaving client: they are dropped, as are the scans of a
// connection that went away.
class ScanQueue {
 public:
  static constexpr std::size_t kPerConnection = 2;
  static constexpr std::size_t kTotal = 256;

  // False when the scan was dropped (limits, or the queue is stopped).
  bool Push(Scan scan);

  // The oldest scan; waits for one. Nothing once the queue is stopped.
  std::optional<Scan> PopWait();

  // Drops the connection's waiting scans.
  void Forget(ConnectionId connection);

  // Stop ends every PopWait at once and drops what waits; Restart accepts scans again.
  void Stop();
  void Restart();

 private:
  std::mutex m_lock;
  std::condition_variable m_arrived;
  std::deque<Scan> m_scans;
  bool m_stopped = false;
};

}  // namespace spr_lan
