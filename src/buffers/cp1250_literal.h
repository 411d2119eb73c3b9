#pragma once

#include <cstddef>

namespace zelvane {

// A text written in the source as UTF-8 and stored as code page 1250 bytes, converted
// at compile time. Only ASCII and the Polish letters are accepted; anything else does
// not compile, so a message can never reach the host in the wrong code page.
template <std::size_t N>
class Cp1250Literal {
 public:
  consteval Cp1250Literal(const char8_t (&utf8)[N]) {  // NOLINT: implicit by design
    std::size_t out = 0;
    for (std::size_t in = 0; in + 1 < N;) {
      const unsigned lead = utf8[in];
      if (lead < 0x80) {
        m_bytes[out++] = static_cast<char>(lead);
        in += 1;
        continue;
      }
      if ((lead & 0xE0) != 0xC0 || in + 2 >= N) throw "only two-byte UTF-8 letters are supported";
      const unsigned codePoint = ((lead & 0x1F) << 6) | (utf8[in + 1] & 0x3F);
      m_bytes[out++] = static_cast<char>(PolishLetter(codePoint));
      in += 2;
    }
    m_size = out;
  }

  constexpr const char* c_str() const { return m_bytes; }
  constexpr std::size_t size() const { return m_size; }

 private:
  static consteval unsigned char PolishLetter(unsigned codePoint) {
    switch (codePoint) {
      case 0x104: return 0xA5;  // Ą
      case 0x106: return 0xC6;  // Ć
      case 0x118: return 0xCA;  // Ę
      case 0x141: return 0xA3;  // Ł
      case 0x143: return 0xD1;  // Ń
      case 0x0D3: return 0xD3;  // Ó
      case 0x15A: return 0x8C;  // Ś
      case 0x179: return 0x8F;  // Ź
      case 0x17B: return 0xAF;  // Ż
      case 0x105: return 0xB9;  // ą
      case 0x107: return 0xE6;  // ć
      case 0x119: return 0xEA;  // ę
      case 0x142: return 0xB3;  // ł
      case 0x144: return 0xF1;  // ń
      case 0x0F3: return 0xF3;  // ó
      case 0x15B: return 0x9C;  // ś
      case 0x17A: return 0x9F;  // ź
      case 0x17C: return 0xBF;  // ż
      default: throw "not a Polish letter";
    }
  }

  char m_bytes[N] = {};
  std::size_t m_size = 0;
};

}  // namespace zelvane
