#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace spr_lan {

// An IPv4 address as a number, the first byte highest (127.0.0.1 is 0x7F000001).
using Ipv4 = std::uint32_t;

// The addresses whose first `prefixBits` bits are those of `network`.
struct AddressRange {
  Ipv4 network = 0;
  int prefixBits = 32;
  bool Contains(Ipv4 address) const;
  bool operator==(const AddressRange&) const = default;
};

// The peers that may connect to the service: every address, or those of the ranges.
class AllowList {
 public:
  // Every address.
  AllowList() = default;
  explicit AllowList(std::vector<AddressRange> ranges) : m_ranges(std::move(ranges)) {}

  bool Admits(Ipv4 peer) const;
  bool AdmitsEveryone() const { return m_ranges.empty(); }
  const std::vector<AddressRange>& Ranges() const { return m_ranges; }

 private:
  std::vector<AddressRange> m_ranges;
};

// A dotted IPv4 address: four numbers 0 to 255 without leading zeros (which some
// systems read as octal), nothing else.
std::optional<Ipv4> ParseIpv4(std::string_view text);
std::string FormatIpv4(Ipv4 address);

// ZELVANE_PRICECHECK_ALLOW: a comma list of addresses and ranges in CIDR form
// ("192.168.1.0/24,10.0.0.7"; spaces around an entry are ignored, bits of an address
// beyond its prefix too). An empty text (unset) admits every address; nothing when
// any entry is not an address or a range, so that a mistyped list never lets in more
// than was meant.
std::optional<AllowList> ParseAllowList(std::string_view text);

}  // namespace spr_lan
