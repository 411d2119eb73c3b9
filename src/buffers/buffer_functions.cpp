#include "buffers/buffer_functions.h"

#include <algorithm>

#include "platform/message_box.h"

namespace zelvane {
namespace {

void WriteFixedField(char* destination, const char* source, int length, int n) {
  if (n < 0) return;
  std::copy_n(source, length, destination);
  std::fill(destination + length, destination + n + 1, '\0');
}

}  // namespace

CChrArr SubStr(const CChrArr& text, int position, int count) {
  if (position == 0 || position > text.GetSize()) return CChrArr();
  // A negative position reads from the start, as Mid clamps a negative start to 0.
  const int start = std::max(position, 1) - 1;
  return count > 0 ? text.Mid(start, count) : text.Mid(start);
}

int FindPos(const CChrArr& needle, const CChrArr& haystack) {
  if (needle.IsEmpty()) return 0;
  return haystack.Find(needle[0]) + 1;
}

std::string ToCString(const CChrArr& bytes) {
  const char* first = reinterpret_cast<const char*>(bytes.GetData());
  return std::string(first, first + bytes.GetSize());
}

void ToFixedText(char* destination, const CChrArr& bytes, int n) {
  WriteFixedField(destination, reinterpret_cast<const char*>(bytes.GetData()),
                  std::min(bytes.GetSize(), n), n);
}

void CopyText(char* destination, const char* text, int n) {
  int length = 0;
  while (text != nullptr && length < n && text[length] != '\0') ++length;
  WriteFixedField(destination, text, length, n);
}

int ShowMessage(const char* text) {
  platform::ShowMessageBox(text);
  return 0;
}

int ShowMessage(const CChrArr& text) {
  return ShowMessage(ToCString(text).c_str());
}

}  // namespace zelvane
