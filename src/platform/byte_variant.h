#pragma once

#include <cstdint>
#include <memory>

namespace zelvane::platform {

// An automation value that carries bytes between the port engine and the byte buffer:
// a VARIANT holding a SAFEARRAY. The Windows build uses the real OLE types; elsewhere
// the same subset is ours. Releasing the value releases its array (VariantClear).
class ByteVariant {
 public:
  static constexpr std::uint16_t kArrayFlag = 0x2000;                      // VT_ARRAY
  static constexpr std::uint16_t kUnsignedByte = 17;                       // VT_UI1
  static constexpr std::uint16_t kSignedInt32 = 3;                         // VT_I4
  static constexpr std::uint16_t kByteArray = kArrayFlag | kUnsignedByte;  // 0x2011

  ByteVariant();  // empty (VT_EMPTY)
  ~ByteVariant();
  ByteVariant(ByteVariant&& other) noexcept;
  ByteVariant& operator=(ByteVariant&& other) noexcept;
  ByteVariant(const ByteVariant&) = delete;
  ByteVariant& operator=(const ByteVariant&) = delete;

  // Replaces the value by a new zeroed array of elements of the given type, with
  // `dimensions` dimensions of `count` elements each, lower bounds 0. False when the
  // array cannot be created; the value is then empty.
  bool CreateArray(std::uint16_t elementType, unsigned dimensions, long count);

  // One-dimensional byte arrays: store or fetch one element (SafeArrayPutElement,
  // SafeArrayGetElement). False when the index is out of bounds or there is no array.
  bool PutElement(long index, std::uint8_t value);
  bool GetElement(long index, std::uint8_t& value) const;

  std::uint16_t Type() const;  // VT_EMPTY (0), or kArrayFlag | element type
  bool HasArray() const;
  unsigned Dimensions() const;  // 0 without an array
  long UpperBound() const;      // of the first dimension; -1 without elements

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace zelvane::platform
