#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "connection_id.h"

namespace spr_lan {

using Clock = std::chrono::steady_clock;

// One code scanned at a terminal, to be answered on the terminal's connection.
struct Scan {
  ConnectionId connection = 0;
  std::string code;
  Clock::time_point arrived;
  bool operator==(const Scan&) const = default;
};

// The scans waiting to be put to the host, served one at a time and fairly: the
// connections take turns (round robin, in the order of their ids, starting after the
// one served last), and each keeps only its newest waiting scan. A terminal waits for
// its answer before it scans again, so an older scan of the same connection is one
// its customer no longer looks at; and a client that scans without end has one scan
// waiting at most, so it delays another terminal's scan by one answer at most.
//
// A scan waits kTurnLimit at most for its turn; then nobody is asked about it.
class ScanQueue {
 public:
  static constexpr std::chrono::milliseconds kTurnLimit{1500};

  // Keeps the scan as its connection's waiting one. Returns the scan that will never be
  // put to the host: the connection's older waiting scan that this one replaces, or
  // this one itself once the queue is stopped.
  std::optional<Scan> Push(Scan scan);

  // The waiting scan of the next connection in turn; waits for one. Nothing once the
  // queue is stopped.
  std::optional<Scan> PopWait();

  // Takes out the scans whose turn had run out at `now`.
  std::vector<Scan> TakeExpired(Clock::time_point now);
  // When the turn of the longest waiting scan runs out; nothing when none waits.
  std::optional<Clock::time_point> NextExpiry() const;

  // Drops the connection's waiting scan (the connection went away).
  void Forget(ConnectionId connection);

  // Ends every PopWait at once and takes out what waits; Restart accepts scans again.
  std::vector<Scan> Stop();
  void Restart();

 private:
  mutable std::mutex m_lock;
  std::condition_variable m_arrived;
  std::map<ConnectionId, Scan> m_waiting;
  ConnectionId m_servedLast = 0;
  bool m_stopped = false;
};

// Whether the scan's turn had run out at `now`.
bool IsPastItsTurn(const Scan& scan, Clock::time_point now);

}  // namespace spr_lan
