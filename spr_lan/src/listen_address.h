#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace spr_lan {

// Where the service listens: a numeric IPv4 address (or a host name) and a port.
struct ListenAddress {
  std::string host;
  std::uint16_t port = 0;
  bool operator==(const ListenAddress&) const = default;
};

// The terminals' default: every interface, port 9101.
ListenAddress DefaultListenAddress();

// "host:port" with a port of 0 to 65535 (0: any free port); nothing when the text is
// not of that form. An empty text gives the default.
std::optional<ListenAddress> ParseListenAddress(std::string_view text);

}  // namespace spr_lan
