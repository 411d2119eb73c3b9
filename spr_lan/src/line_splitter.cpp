#include "line_splitter.h"

namespace spr_lan {
namespace {

constexpr char kLineFeed = '\n';

bool IsControl(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F;
}

}  // namespace

std::vector<std::string> LineSplitter::Feed(std::string_view bytes) {
  std::vector<std::string> lines;
  for (const char byte : bytes) {
    if (byte == kLineFeed) {
      if (!m_line.empty()) lines.push_back(std::move(m_line));
      m_line.clear();
    } else if (!IsControl(static_cast<unsigned char>(byte)) && m_line.size() < kMaxLineLength) {
      m_line.push_back(byte);
    }
  }
  return lines;
}

}  // namespace spr_lan
