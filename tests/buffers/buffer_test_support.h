#pragma once

#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"

namespace zelvane {

// Lets failing expectations show a buffer's bytes.
inline void PrintTo(const CChrArr& bytes, std::ostream* out) {
  *out << '"';
  for (int index = 0; index < bytes.GetSize(); ++index) {
    const unsigned byte = bytes[index];
    if (byte >= 0x20 && byte < 0x7F) {
      *out << static_cast<char>(byte);
    } else {
      static const char kHex[] = "0123456789ABCDEF";
      *out << "\\x" << kHex[byte >> 4] << kHex[byte & 0xF];
    }
  }
  *out << '"';
}

inline CChrArr BytesOf(std::initializer_list<std::uint8_t> bytes) {
  CChrArr result;
  for (const std::uint8_t byte : bytes) result += byte;
  return result;
}

// Exact contents, unlike the buffer's own prefix equality.
inline std::string Contents(const CChrArr& bytes) {
  return ToCString(bytes);
}

}  // namespace zelvane
