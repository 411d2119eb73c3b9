#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zelvane {

// A growable array of raw bytes with the string-like operations that device frames
// need. It may hold NUL bytes and has no terminator; read as text, the bytes are code
// page 1250. Buffers are values: every result is a new, independent buffer.
//
// Sizes and positions are signed 32-bit and 0-based. Element access outside the
// buffer, a repeat count below 1 and a negative index or search start throw
// InvalidArgument; growing past the 32-bit size or the memory throws std::bad_alloc.
class CChrArr {
 public:
  CChrArr() = default;
  // Frames are mostly written as texts, so texts convert implicitly.
  CChrArr(const char* text);              // a null text gives an empty buffer
  CChrArr(const std::string& text);       // the characters up to the first NUL
  CChrArr(std::uint8_t byte, int count);  // `count` copies of `byte`

  CChrArr& operator=(const char* text);  // a null text empties the buffer
  CChrArr& operator=(std::uint8_t byte);

  // Appending a buffer to itself leaves it unchanged; a null text appends nothing.
  CChrArr& operator+=(const CChrArr& other);
  CChrArr& operator+=(std::uint8_t byte);
  CChrArr& operator+=(const char* text);

  int GetSize() const { return static_cast<int>(m_bytes.size()); }
  bool IsEmpty() const { return m_bytes.empty(); }
  const std::uint8_t* GetData() const { return m_bytes.data(); }
  std::uint8_t* GetData() { return m_bytes.data(); }

  std::uint8_t GetAt(int index) const;
  void SetAt(int index, std::uint8_t byte);
  std::uint8_t operator[](int index) const { return GetAt(index); }
  std::uint8_t& operator[](int index);

  // Growing adds zero bytes. An index beyond the end of InsertAt grows the buffer
  // with zeros up to it first.
  void SetSize(int size);
  void SetAtGrow(int index, std::uint8_t byte);
  void InsertAt(int index, std::uint8_t byte, int count = 1);
  void InsertAt(int index, const CChrArr& other);
  void Copy(const CChrArr& other);
  int Append(const CChrArr& other);  // returns the size before; see operator+=

  // Index of the first `byte` at or after `start`, or -1.
  int Find(std::uint8_t byte, int start = 0) const;
  // Counts below 0 count as 0; counts beyond the size take the whole buffer.
  CChrArr Left(int count) const;
  CChrArr Right(int count) const;
  // Starts below 0 count as 0; the count is cut at the end of the buffer.
  CChrArr Mid(int start, int count) const;
  CChrArr Mid(int start) const;

  // -1, 0 or +1. Only the common prefix is compared: a buffer equals any operand that
  // begins with its bytes, a longer buffer is greater. An empty operand on either
  // side never compares equal: the result is then +1 when this buffer is at least as
  // long as the other operand, -1 otherwise. A null text counts as empty.
  int Compare(const CChrArr& other) const;
  int Compare(const char* text) const;

 private:
  static CChrArr FromRange(const std::uint8_t* first, std::size_t count);
  std::size_t CheckedIndex(int index) const;
  int CompareWith(const std::uint8_t* other, std::size_t otherSize) const;
  void AppendBytes(const std::uint8_t* first, std::size_t count);

  std::vector<std::uint8_t> m_bytes;
};

CChrArr operator+(const CChrArr& left, const CChrArr& right);
CChrArr operator+(const CChrArr& left, const char* right);
CChrArr operator+(const char* left, const CChrArr& right);

// Equal exactly when the buffer's Compare gives 0; the buffer is always the one that
// compares, whichever side it stands on.
inline bool operator==(const CChrArr& left, const CChrArr& right) {
  return left.Compare(right) == 0;
}
inline bool operator==(const CChrArr& left, const char* right) {
  return left.Compare(right) == 0;
}
inline bool operator==(const char* left, const CChrArr& right) {
  return right.Compare(left) == 0;
}
inline bool operator!=(const CChrArr& left, const CChrArr& right) {
  return !(left == right);
}
inline bool operator!=(const CChrArr& left, const char* right) {
  return !(left == right);
}
inline bool operator!=(const char* left, const CChrArr& right) {
  return !(left == right);
}

}  // namespace zelvane
