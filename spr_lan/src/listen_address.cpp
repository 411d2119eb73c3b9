#include "listen_address.h"

#include <charconv>

namespace spr_lan {

ListenAddress DefaultListenAddress() {
  return {"0.0.0.0", 9101};
}

std::optional<ListenAddress> ParseListenAddress(std::string_view text) {
  if (text.empty()) return DefaultListenAddress();
  const std::size_t colon = text.rfind(':');
  if (colon == std::string_view::npos || colon == 0 || colon + 1 == text.size())
    return std::nullopt;
  const std::string_view digits = text.substr(colon + 1);
  std::uint16_t port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (error != std::errc() || end != digits.data() + digits.size()) return std::nullopt;
  return ListenAddress{std::string(text.substr(0, colon)), port};
}

}  // namespace spr_lan
