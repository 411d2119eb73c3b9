#pragma once

#include <cstddef>
#include <mutex>
#include <string_view>

#include "trace_file.h"

namespace spr_lan {

// Where the service writes down, for the technician, what it refused: a start and the
// reason, a connection from an address off the allow list. One event per call.
class ServiceTrace {
 public:
  virtual ~ServiceTrace() = default;
  virtual void Write(std::string_view event) = 0;
};

// The trace of this process: SPRLAN_<MMDD_HHMMSS>_<process>.txt in the temporary
// folder, made at the first event, a line each with the local time. Bounded, as a
// flood of refused connections must not fill the disk: after kMaxEvents lines one more
// says that the rest is left out.
class FileTrace final : public ServiceTrace {
 public:
  static constexpr std::size_t kMaxEvents = 10000;

  void Write(std::string_view event) override;

 private:
  std::mutex m_lock;
  files::TraceFile m_file;
  std::size_t m_events = 0;
  bool m_cannotCreate = false;
};

// The process's one file trace.
ServiceTrace& ProcessTrace();

}  // namespace spr_lan
