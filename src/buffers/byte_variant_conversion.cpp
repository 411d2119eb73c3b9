#include "buffers/byte_variant_conversion.h"

#include <new>

namespace zelvane {

using platform::ByteVariant;

CChrArr FromVariant(const ByteVariant& value) {
  CChrArr bytes;
  if (value.Type() != ByteVariant::kByteArray || value.Dimensions() != 1) return bytes;
  const long upperBound = value.UpperBound();
  for (long index = 0; index <= upperBound; ++index) {
    std::uint8_t byte = 0;
    if (!value.GetElement(index, byte)) break;
    bytes += byte;
  }
  return bytes;
}

ByteVariant ToVariant(const CChrArr& bytes) {
  ByteVariant value;
  if (!value.CreateArray(ByteVariant::kUnsignedByte, 1, bytes.GetSize())) throw std::bad_alloc();
  for (int index = 0; index < bytes.GetSize(); ++index) {
    if (!value.PutElement(index, bytes[index])) break;
  }
  return value;
}

}  // namespace zelvane
