#include "cp1250_text.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <string_view>

#include "buffers/cp1250_literal.h"
#include "polish_text.h"

namespace zelvane::host {
namespace {

using tools::PolishLetter;

// The code page 1250 byte comes from the library's own conversion, so the two
// directions cannot disagree.
template <std::size_t N>
consteval PolishLetter Letter(const char8_t (&utf8)[N]) {
  return {static_cast<unsigned char>(Cp1250Literal<N>(utf8).c_str()[0]),
          std::u8string_view(utf8, N - 1)};
}

constexpr PolishLetter kPolishLetters[] = {
    Letter(u8"Ą"), Letter(u8"Ć"), Letter(u8"Ę"), Letter(u8"Ł"), Letter(u8"Ń"), Letter(u8"Ó"),
    Letter(u8"Ś"), Letter(u8"Ź"), Letter(u8"Ż"), Letter(u8"ą"), Letter(u8"ć"), Letter(u8"ę"),
    Letter(u8"ł"), Letter(u8"ń"), Letter(u8"ó"), Letter(u8"ś"), Letter(u8"ź"), Letter(u8"ż"),
};

}  // namespace

std::string Cp1250ToUtf8(const char* text) {
  if (text == nullptr) return {};
  return tools::PolishTextToUtf8(text, kPolishLetters);
}

std::string Utf8ToCp1250(std::string_view text) {
  std::string out;
  for (std::size_t at = 0; at < text.size();) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
      ++at;
      continue;
    }
    const auto letter = std::find_if(
        std::begin(kPolishLetters), std::end(kPolishLetters), [&](const PolishLetter& polish) {
          return text.substr(at, polish.utf8.size()) ==
                 std::string_view(reinterpret_cast<const char*>(polish.utf8.data()),
                                  polish.utf8.size());
        });
    if (letter != std::end(kPolishLetters)) {
      out += static_cast<char>(letter->byte);
      at += letter->utf8.size();
      continue;
    }
    // One '?' for the whole character: its lead byte and its continuation bytes.
    out += '?';
    for (++at; at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80; ++at) {
    }
  }
  return out;
}

}  // namespace zelvane::host
