#include "protocol/trace_log.h"

#include <ctime>
#include <optional>
#include <string>

#include "buffers/chr_arr.h"
#include "protocol/temp_file_path.h"

namespace zelvane {
namespace {

// Month, day, underscore, hour, minute, second of the local time; empty when the
// second has no local time.
std::string TimeStamp(std::int64_t seconds) {
  std::tm local{};
  if (!platform::LocalTime(seconds, local)) return {};
  char text[32] = {};
  const std::size_t length = std::strftime(text, sizeof text, "%m%d_%H%M%S", &local);
  return std::string(text, length);
}

}  // namespace

void TraceLog::Open() noexcept {
  try {
    m_file.Close();
    const std::optional<std::string> path = TempFilePath("QXDATA_" + TimeStamp(m_clock()) + ".txt");
    if (path) m_file.Create(*path);
  } catch (...) {
    // Out of memory for the name: the run goes untraced.
  }
}

void TraceLog::Line(const CChrArr& bytes, char direction) noexcept {
  if (!IsOpen() || direction != kFromDevice) return;
  try {
    std::string line = " -> ";
    line.append(reinterpret_cast<const char*>(bytes.GetData()),
                static_cast<std::size_t>(bytes.GetSize()));
    line += "\r\n";
    m_file.WriteAll(line.data(), line.size());
  } catch (...) {
    // Out of memory for the line: it is left out of the trace.
  }
}

}  // namespace zelvane
