#include "buffers/chr_arr.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

#include "buffers/buffer_errors.h"

namespace zelvane {
namespace {

std::size_t TextLength(const char* text) {
  return text != nullptr ? std::strlen(text) : 0;
}

const std::uint8_t* TextBytes(const char* text) {
  return reinterpret_cast<const std::uint8_t*>(text);
}

// Sizes are signed 32-bit, so a buffer that would outgrow them counts as out of memory.
void CheckSizeLimit(std::size_t size) {
  if (size > static_cast<std::size_t>(std::numeric_limits<int>::max())) throw std::bad_alloc();
}

std::size_t CheckedPosition(int position, const char* what) {
  if (position < 0) throw InvalidArgument(what);
  return static_cast<std::size_t>(position);
}

std::size_t CheckedRepeatCount(int count) {
  if (count < 1) throw InvalidArgument("CChrArr: repeat count below 1");
  return static_cast<std::size_t>(count);
}

}  // namespace

CChrArr::CChrArr(const char* text) {
  AppendBytes(TextBytes(text), TextLength(text));
}

CChrArr::CChrArr(const std::string& text) : CChrArr(text.c_str()) {}

CChrArr::CChrArr(std::uint8_t byte, int count) : m_bytes(CheckedRepeatCount(count), byte) {}

CChrArr CChrArr::FromRange(const std::uint8_t* first, std::size_t count) {
  CChrArr result;
  result.AppendBytes(first, count);
  return result;
}

CChrArr& CChrArr::operator=(const char* text) {
  return *this = CChrArr(text);
}

CChrArr& CChrArr::operator=(std::uint8_t byte) {
  m_bytes.assign(1, byte);
  return *this;
}

CChrArr& CChrArr::operator+=(const CChrArr& other) {
  Append(other);
  return *this;
}

CChrArr& CChrArr::operator+=(std::uint8_t byte) {
  SetAtGrow(GetSize(), byte);
  return *this;
}

CChrArr& CChrArr::operator+=(const char* text) {
  AppendBytes(TextBytes(text), TextLength(text));
  return *this;
}

std::size_t CChrArr::CheckedIndex(int index) const {
  if (index < 0 || index >= GetSize()) throw InvalidArgument("CChrArr: index out of range");
  return static_cast<std::size_t>(index);
}

std::uint8_t CChrArr::GetAt(int index) const {
  return m_bytes[CheckedIndex(index)];
}

void CChrArr::SetAt(int index, std::uint8_t byte) {
  m_bytes[CheckedIndex(index)] = byte;
}

std::uint8_t& CChrArr::operator[](int index) {
  return m_bytes[CheckedIndex(index)];
}

void CChrArr::SetSize(int size) {
  m_bytes.resize(CheckedPosition(size, "CChrArr: negative size"));
}

void CChrArr::SetAtGrow(int index, std::uint8_t byte) {
  const std::size_t position = CheckedPosition(index, "CChrArr: negative index");
  if (position >= m_bytes.size()) {
    CheckSizeLimit(position + 1);
    m_bytes.resize(position + 1);
  }
  m_bytes[position] = byte;
}

void CChrArr::InsertAt(int index, std::uint8_t byte, int count) {
  const std::size_t position = CheckedPosition(index, "CChrArr: negative index");
  const std::size_t repeat = CheckedRepeatCount(count);
  CheckSizeLimit(std::max(position, m_bytes.size()) + repeat);
  if (position > m_bytes.size()) m_bytes.resize(position);
  m_bytes.insert(m_bytes.begin() + static_cast<std::ptrdiff_t>(position), repeat, byte);
}

void CChrArr::InsertAt(int index, const CChrArr& other) {
  const std::size_t position = CheckedPosition(index, "CChrArr: negative index");
  if (&other == this) {  // insert the contents as they were before the insertion
    InsertAt(index, CChrArr(other));
    return;
  }
  if (other.IsEmpty()) return;
  CheckSizeLimit(std::max(position, m_bytes.size()) + other.m_bytes.size());
  if (position > m_bytes.size()) m_bytes.resize(position);
  m_bytes.insert(m_bytes.begin() + static_cast<std::ptrdiff_t>(position), other.m_bytes.begin(),
                 other.m_bytes.end());
}

void CChrArr::Copy(const CChrArr& other) {
  m_bytes = other.m_bytes;
}

int CChrArr::Append(const CChrArr& other) {
  const int oldSize = GetSize();
  if (&other != this) AppendBytes(other.GetData(), other.m_bytes.size());
  return oldSize;
}

void CChrArr::AppendBytes(const std::uint8_t* first, std::size_t count) {
  if (count == 0) return;
  CheckSizeLimit(m_bytes.size() + count);
  m_bytes.insert(m_bytes.end(), first, first + count);
}

int CChrArr::Find(std::uint8_t byte, int start) const {
  const std::size_t from = CheckedPosition(start, "CChrArr: negative search start");
  if (from >= m_bytes.size()) return -1;
  const void* found = std::memchr(GetData() + from, byte, m_bytes.size() - from);
  return found != nullptr ? static_cast<int>(static_cast<const std::uint8_t*>(found) - GetData())
                          : -1;
}

CChrArr CChrArr::Left(int count) const {
  return Mid(0, count);
}

CChrArr CChrArr::Right(int count) const {
  const int kept = std::clamp(count, 0, GetSize());
  return Mid(GetSize() - kept, kept);
}

CChrArr CChrArr::Mid(int start, int count) const {
  const int size = GetSize();
  const int from = std::max(start, 0);
  if (from > size) return CChrArr();
  const int kept = std::min(std::max(count, 0), size - from);
  return FromRange(GetData() + from, static_cast<std::size_t>(kept));
}

// A negative start takes everything, like Mid(start, size - start) does after clamping.
CChrArr CChrArr::Mid(int start) const {
  return Mid(start, GetSize() - std::max(start, 0));
}

int CChrArr::Compare(const CChrArr& other) const {
  return CompareWith(other.GetData(), other.m_bytes.size());
}

int CChrArr::Compare(const char* text) const {
  return CompareWith(TextBytes(text), TextLength(text));
}

int CChrArr::CompareWith(const std::uint8_t* other, std::size_t otherSize) const {
  const std::size_t size = m_bytes.size();
  if (size == 0 || otherSize == 0) return size >= otherSize ? 1 : -1;
  const int order = std::memcmp(GetData(), other, std::min(size, otherSize));
  if (order != 0) return order < 0 ? -1 : 1;
  return size <= otherSize ? 0 : 1;
}

CChrArr operator+(const CChrArr& left, const CChrArr& right) {
  CChrArr result(left);
  result.Append(right);
  return result;
}

CChrArr operator+(const CChrArr& left, const char* right) {
  CChrArr result(left);
  result += right;
  return result;
}

CChrArr operator+(const char* left, const CChrArr& right) {
  CChrArr result(left);
  result.Append(right);
  return result;
}

}  // namespace zelvane
