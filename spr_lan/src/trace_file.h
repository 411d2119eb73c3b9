#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The little of the file system that the service's trace needs.
namespace spr_lan::files {

// A file of this user that the trace appends to. It is always a new file: creating it
// never follows a link and never opens a name that exists already, so a name planted
// in the shared temporary folder cannot redirect the trace into someone else's file.
class TraceFile {
 public:
  TraceFile() = default;
  TraceFile(const TraceFile&) = delete;
  TraceFile& operator=(const TraceFile&) = delete;
  ~TraceFile() { Close(); }

  // Creates `name` in the user's temporary folder; false when it exists already or
  // cannot be made.
  bool CreateInTemporaryFolder(const std::string& name);
  // False when not every byte was written.
  bool Append(std::string_view text);
  void Close();
  bool IsOpen() const { return m_handle != kNoFile; }

 private:
  // A descriptor on POSIX, a HANDLE on Windows; both systems use -1 for "none".
  static constexpr std::intptr_t kNoFile = -1;
  std::intptr_t m_handle = kNoFile;
};

// The local time now in the strftime `format`; empty when it cannot be told.
std::string LocalTimeText(const char* format);

// This process's number, which tells the trace files of two processes apart.
unsigned long ProcessNumber();

}  // namespace spr_lan::files
