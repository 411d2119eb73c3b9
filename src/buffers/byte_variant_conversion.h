#pragma once

#include "buffers/chr_arr.h"
#include "platform/byte_variant.h"

namespace zelvane {

// The bytes of a one-dimensional byte array (VT_ARRAY|VT_UI1), indices 0 up to the
// upper bound, up to the first element that cannot be fetched. Any other value gives
// an empty buffer.
CChrArr FromVariant(const platform::ByteVariant& value);

// A new one-dimensional byte array, lower bound 0, holding the buffer's bytes; storing
// stops at the first element that cannot be put. Throws std::bad_alloc when the array
// cannot be created.
platform::ByteVariant ToVariant(const CChrArr& bytes);

}  // namespace zelvane
