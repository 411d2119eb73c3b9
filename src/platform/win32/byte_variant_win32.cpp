// windows.h must come first: oleauto.h relies on its types.
#include <windows.h>

#include <oleauto.h>

#include <new>

#include "platform/byte_variant.h"

namespace zelvane::platform {

struct ByteVariant::Impl {
  VARIANT value;
  Impl() { ::VariantInit(&value); }
  ~Impl() { ::VariantClear(&value); }
};

ByteVariant::ByteVariant() = default;
ByteVariant::~ByteVariant() = default;
ByteVariant::ByteVariant(ByteVariant&& other) noexcept = default;
ByteVariant& ByteVariant::operator=(ByteVariant&& other) noexcept = default;

bool ByteVariant::CreateArray(std::uint16_t elementType, unsigned dimensions, long count) {
  m_impl.reset();
  if (dimensions == 0 || dimensions > 8 || count < 0) return false;
  SAFEARRAYBOUND bounds[8];
  for (unsigned i = 0; i < dimensions; ++i) {
    bounds[i].cElements = static_cast<ULONG>(count);
    bounds[i].lLbound = 0;
  }
  SAFEARRAY* array = ::SafeArrayCreate(elementType, dimensions, bounds);
  if (array == nullptr) return false;
  auto* impl = new (std::nothrow) Impl;
  if (impl == nullptr) {
    ::SafeArrayDestroy(array);
    return false;
  }
  impl->value.vt = static_cast<VARTYPE>(kArrayFlag | elementType);
  impl->value.parray = array;
  m_impl.reset(impl);
  return true;
}

// Only byte arrays: the element buffer handed to the OLE calls is one byte wide.
bool ByteVariant::PutElement(long index, std::uint8_t value) {
  if (Type() != kByteArray || !HasArray()) return false;
  LONG position = index;
  return SUCCEEDED(::SafeArrayPutElement(m_impl->value.parray, &position, &value));
}

bool ByteVariant::GetElement(long index, std::uint8_t& value) const {
  if (Type() != kByteArray || !HasArray()) return false;
  LONG position = index;
  return SUCCEEDED(::SafeArrayGetElement(m_impl->value.parray, &position, &value));
}

std::uint16_t ByteVariant::Type() const {
  return m_impl ? m_impl->value.vt : static_cast<std::uint16_t>(VT_EMPTY);
}

bool ByteVariant::HasArray() const {
  return m_impl && (m_impl->value.vt & VT_ARRAY) != 0 && m_impl->value.parray != nullptr;
}

unsigned ByteVariant::Dimensions() const {
  return HasArray() ? ::SafeArrayGetDim(m_impl->value.parray) : 0;
}

long ByteVariant::UpperBound() const {
  LONG upper = -1;
  if (HasArray() && FAILED(::SafeArrayGetUBound(m_impl->value.parray, 1, &upper))) upper = -1;
  return upper;
}

}  // namespace zelvane::platform
