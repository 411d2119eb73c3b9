#include <new>
#include <vector>

#include "platform/byte_variant.h"

namespace zelvane::platform {

// The subset of VARIANT and SAFEARRAY that the port engine needs, kept in memory.
struct ByteVariant::Impl {
  std::uint16_t elementType = 0;
  unsigned dimensions = 0;
  long count = 0;                      // per dimension
  std::vector<std::uint8_t> elements;  // only used for byte elements
};

ByteVariant::ByteVariant() = default;
ByteVariant::~ByteVariant() = default;
ByteVariant::ByteVariant(ByteVariant&& other) noexcept = default;
ByteVariant& ByteVariant::operator=(ByteVariant&& other) noexcept = default;

bool ByteVariant::CreateArray(std::uint16_t elementType, unsigned dimensions, long count) {
  m_impl.reset();
  if (dimensions == 0 || count < 0) return false;
  auto impl = std::unique_ptr<Impl>(new (std::nothrow) Impl);
  if (!impl) return false;
  impl->elementType = elementType;
  impl->dimensions = dimensions;
  impl->count = count;
  if (elementType == kUnsignedByte && dimensions == 1) {
    try {
      impl->elements.assign(static_cast<std::size_t>(count), 0);
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
  m_impl = std::move(impl);
  return true;
}

bool ByteVariant::PutElement(long index, std::uint8_t value) {
  if (!m_impl || index < 0 || index >= static_cast<long>(m_impl->elements.size())) return false;
  m_impl->elements[static_cast<std::size_t>(index)] = value;
  return true;
}

bool ByteVariant::GetElement(long index, std::uint8_t& value) const {
  if (!m_impl || index < 0 || index >= static_cast<long>(m_impl->elements.size())) return false;
  value = m_impl->elements[static_cast<std::size_t>(index)];
  return true;
}

std::uint16_t ByteVariant::Type() const {
  return m_impl ? static_cast<std::uint16_t>(kArrayFlag | m_impl->elementType) : 0;
}

bool ByteVariant::HasArray() const {
  return static_cast<bool>(m_impl);
}

unsigned ByteVariant::Dimensions() const {
  return m_impl ? m_impl->dimensions : 0;
}

long ByteVariant::UpperBound() const {
  return m_impl ? m_impl->count - 1 : -1;
}

}  // namespace zelvane::platform
