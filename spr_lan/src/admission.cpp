#include "admission.h"

#include <algorithm>
#include <charconv>

namespace spr_lan {

std::optional<std::size_t> ParsePerAddressShare(std::string_view text) {
  if (text.empty()) return AdmissionRules::kDefaultPerAddress;
  std::size_t share = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), share);
  if (error != std::errc() || end != text.data() + text.size() || share == 0 ||
      share > AdmissionRules::kMaxConnections) {
    return std::nullopt;
  }
  return share;
}

Admission Admit(const AdmissionRules& rules, Ipv4 peer, std::span<const Seat> seats) {
  if (!rules.allow.Admits(peer)) return {};
  const auto samePeer = [&](const Seat& seat) { return seat.peer == peer; };
  if (static_cast<std::size_t>(std::count_if(seats.begin(), seats.end(), samePeer)) >=
      rules.perAddress) {
    return {true, std::find_if(seats.begin(), seats.end(), samePeer)->id};
  }
  if (seats.size() < AdmissionRules::kMaxConnections) return {true, std::nullopt};
  // The first of the least recent: never scanned counts as least recent of all.
  const auto leastRecent = std::min_element(
      seats.begin(), seats.end(),
      [](const Seat& left, const Seat& right) { return left.lastScan < right.lastScan; });
  return {true, leastRecent->id};
}

}  // namespace spr_lan
