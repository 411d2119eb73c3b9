#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"

namespace zelvane {

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
