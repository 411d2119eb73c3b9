#include "allow_list.h"

#include <algorithm>
#include <charconv>

namespace spr_lan {
namespace {

constexpr int kAddressBits = 32;

std::string_view WithoutSurroundingSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// A decimal number of at most `maxDigits` digits without a leading zero, up to `max`.
std::optional<int> ParseSmallNumber(std::string_view text, std::size_t maxDigits, int max) {
  if (text.empty() || text.size() > maxDigits || (text.size() > 1 && text[0] == '0'))
    return std::nullopt;
  // Unsigned, so that no sign is taken.
  unsigned value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() ||
      value > static_cast<unsigned>(max))
    return std::nullopt;
  return static_cast<int>(value);
}

Ipv4 PrefixMask(int prefixBits) {
  return prefixBits == 0 ? 0 : ~Ipv4{0} << (kAddressBits - prefixBits);
}

std::optional<AddressRange> ParseRange(std::string_view entry) {
  const std::size_t slash = entry.find('/');
  const std::optional<Ipv4> address = ParseIpv4(entry.substr(0, slash));
  if (!address) return std::nullopt;
  int prefixBits = kAddressBits;
  if (slash != std::string_view::npos) {
    const std::optional<int> bits = ParseSmallNumber(entry.substr(slash + 1), 2, kAddressBits);
    if (!bits) return std::nullopt;
    prefixBits = *bits;
  }
  return AddressRange{*address & PrefixMask(prefixBits), prefixBits};
}

}  // namespace

bool AddressRange::Contains(Ipv4 address) const {
  return (address & PrefixMask(prefixBits)) == network;
}

bool AllowList::Admits(Ipv4 peer) const {
  return AdmitsEveryone() ||
         std::any_of(m_ranges.begin(), m_ranges.end(),
                     [&](const AddressRange& range) { return range.Contains(peer); });
}

std::optional<Ipv4> ParseIpv4(std::string_view text) {
  Ipv4 address = 0;
  for (int part = 0; part < 4; ++part) {
    const std::size_t dot = text.find('.');
    const bool last = part == 3;
    if (last != (dot == std::string_view::npos)) return std::nullopt;
    const std::optional<int> number = ParseSmallNumber(text.substr(0, dot), 3, 255);
    if (!number) return std::nullopt;
    address = (address << 8) | static_cast<Ipv4>(*number);
    if (!last) text.remove_prefix(dot + 1);
  }
  return address;
}

std::string FormatIpv4(Ipv4 address) {
  std::string text;
  for (int shift = 24; shift >= 0; shift -= 8) {
    if (!text.empty()) text += '.';
    text += std::to_string((address >> shift) & 0xFF);
  }
  return text;
}

std::optional<AllowList> ParseAllowList(std::string_view text) {
  if (WithoutSurroundingSpaces(text).empty()) return AllowList();
  std::vector<AddressRange> ranges;
  for (;;) {
    const std::size_t comma = text.find(',');
    const std::optional<AddressRange> range =
        ParseRange(WithoutSurroundingSpaces(text.substr(0, comma)));
    if (!range) return std::nullopt;
    ranges.push_back(*range);
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return AllowList(std::move(ranges));
}

}  // namespace spr_lan
