#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace spr_lan {

// Cuts a terminal's byte stream into scanned codes: each ends with LF, a CR before
// it is dropped. Only the first kMaxLineLength bytes of a line are kept and control
// bytes are left out, so a client that never sends LF costs a fixed amount of memory.
// Empty lines are no scans.
class LineSplitter {
 public:
  static constexpr std::size_t kMaxLineLength = 64;

  // The codes that the bytes complete, in order.
  std::vector<std::string> Feed(std::string_view bytes);

 private:
  std::string m_line;
};

}  // namespace spr_lan
