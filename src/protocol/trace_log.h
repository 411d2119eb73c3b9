#pragma once

#include <cstdint>

#include "platform/clock.h"
#include "platform/secure_file.h"

namespace zelvane {

class CChrArr;

// The text trace of one device run: a file QXDATA_<MMDD_HHMMSS>.txt in the temporary
// directory, named after the local time of its opening, to which the protocol appends
// what it read. Failures only mean that nothing is traced.
class TraceLog {
 public:
  // The direction letter of what came from the device.
  static constexpr char kFromDevice = 'L';

  using SecondsClock = std::int64_t (*)();
  explicit TraceLog(SecondsClock clock = &platform::WallClockSeconds) : m_clock(clock) {}

  // Starts a new trace file, closing the current one. A local time that cannot be
  // converted leaves the time out of the name (QXDATA_.txt).
  void Open() noexcept;

  // Appends " -> ", the bytes unchanged and CR LF in one write, for the direction
  // kFromDevice; other directions have no line format and write nothing. Nothing is
  // written while the trace is not open.
  void Line(const CChrArr& bytes, char direction) noexcept;

  void Close() noexcept { m_file.Close(); }
  bool IsOpen() const { return m_file.IsOpen(); }

 private:
  SecondsClock m_clock;
  platform::SecureFile m_file;
};

}  // namespace zelvane
