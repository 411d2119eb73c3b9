#pragma once

#include <span>
#include <string>
#include <string_view>

namespace zelvane::tools {

// One Polish letter of an 8-bit code page: its byte there and its UTF-8 spelling.
struct PolishLetter {
  unsigned char byte;
  std::u8string_view utf8;
};

// `bytes` of a code page as UTF-8: ASCII as it is, the code page's Polish letters
// (`letters`) spelled out, any other byte '?'.
inline std::string PolishTextToUtf8(std::string_view bytes, std::span<const PolishLetter> letters) {
  std::string out;
  for (const char character : bytes) {
    const auto byte = static_cast<unsigned char>(character);
    if (byte < 0x80) {
      out += character;
      continue;
    }
    const PolishLetter* letter = nullptr;
    for (const PolishLetter& candidate : letters) {
      if (candidate.byte == byte) letter = &candidate;
    }
    if (letter == nullptr) {
      out += '?';
    } else {
      out.append(reinterpret_cast<const char*>(letter->utf8.data()), letter->utf8.size());
    }
  }
  return out;
}

}  // namespace zelvane::tools
