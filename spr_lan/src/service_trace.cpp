#include "service_trace.h"

#include <string>

namespace spr_lan {

void FileTrace::Write(std::string_view event) {
  try {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_events > kMaxEvents || m_cannotCreate) return;
    if (!m_file.IsOpen()) {
      const std::string name = "SPRLAN_" + files::LocalTimeText("%m%d_%H%M%S") + "_" +
                               std::to_string(files::ProcessNumber()) + ".txt";
      m_cannotCreate = !m_file.CreateInTemporaryFolder(name);
      if (m_cannotCreate) return;
    }
    const std::string time = files::LocalTimeText("%Y-%m-%d %H:%M:%S");
    const std::string line = m_events == kMaxEvents ? time + " further events are left out\r\n"
                                                    : time + " " + std::string(event) + "\r\n";
    m_file.Append(line);
    ++m_events;
  } catch (...) {
    // Out of memory for the line: the event goes untraced, the service goes on.
  }
}

ServiceTrace& ProcessTrace() {
  // Never destroyed, like the service that writes to it.
  static auto* trace = new FileTrace();
  return *trace;
}

}  // namespace spr_lan
