#include "cp1250_text.h"

#include <cstddef>
#include <string_view>

#include "buffers/cp1250_literal.h"

namespace zelvane::host {
namespace {

struct PolishLetter {
  unsigned char cp1250;
  std::u8string_view utf8;
};

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

void AppendLetter(std::string& out, unsigned char byte) {
  for (const PolishLetter& letter : kPolishLetters) {
    if (letter.cp1250 == byte) {
      out.append(reinterpret_cast<const char*>(letter.utf8.data()), letter.utf8.size());
      return;
    }
  }
  out += '?';
}

}  // namespace

std::string Cp1250ToUtf8(const char* text) {
  std::string out;
  if (text == nullptr) return out;
  for (const char* next = text; *next != '\0'; ++next) {
    const auto byte = static_cast<unsigned char>(*next);
    if (byte < 0x80) {
      out += static_cast<char>(byte);
    } else {
      AppendLetter(out, byte);
    }
  }
  return out;
}

std::string Utf8ToCp1250(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      out += text[i++];
      continue;
    }
    // One character: its lead byte and the continuation bytes after it.
    std::size_t length = 1;
    while (i + length < text.size() &&
           (static_cast<unsigned char>(text[i + length]) & 0xC0) == 0x80) {
      ++length;
    }
    const std::string_view character = text.substr(i, length);
    char converted = '?';
    for (const PolishLetter& letter : kPolishLetters) {
      if (character ==
          std::string_view(reinterpret_cast<const char*>(letter.utf8.data()), letter.utf8.size())) {
        converted = static_cast<char>(letter.cp1250);
      }
    }
    out += converted;
    i += length;
  }
  return out;
}

}  // namespace zelvane::host
