#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "allow_list.h"
#include "connection_id.h"

namespace spr_lan {

// Who may hold one of the service's connections.
struct AdmissionRules {
  static constexpr std::size_t kMaxConnections = 100;
  static constexpr std::size_t kDefaultPerAddress = 4;

  AllowList allow;
  // Connections one address may hold at once: a few terminals may share an address
  // behind a router.
  std::size_t perAddress = kDefaultPerAddress;
};

// ZELVANE_PRICECHECK_PER_ADDRESS: a number from 1 to 100; an empty text (unset) gives
// the default, anything else nothing.
std::optional<std::size_t> ParsePerAddressShare(std::string_view text);

// A connection the service holds, as admission sees it.
struct Seat {
  ConnectionId id = 0;
  Ipv4 peer = 0;
  // When the terminal scanned last, as a count that only grows; 0 for never.
  std::uint64_t lastScan = 0;
};

// What becomes of a new connection: let in or closed at once, and which connection,
// if any, makes way for it.
struct Admission {
  bool admitted = false;
  std::optional<ConnectionId> makesWay;
  bool operator==(const Admission&) const = default;
};

// The decision for a connection from `peer`, given the connections held (in the order
// they were accepted). A peer off the allow list is refused. A peer whose address has
// its share takes the place of that address's oldest connection: a terminal that lost
// power and connects again gets its place back. With every place taken, the oldest
// connection that never scanned makes way, else the one that scanned least recently,
// so no terminal is ever locked out by connections that died unseen.
Admission Admit(const AdmissionRules& rules, Ipv4 peer, std::span<const Seat> seats);

}  // namespace spr_lan
