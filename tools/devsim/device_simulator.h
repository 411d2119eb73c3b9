#pragma once

#include <chrono>
#include <stop_token>
#include <string_view>

#include "device_link.h"

namespace zelvane::devsim {

// A device played on one end of a link. A simulator is used by one thread at a time:
// the one running its loop (RunSimulator), or the caller of its cue operations when
// no loop runs.
class DeviceSimulator {
 public:
  explicit DeviceSimulator(DeviceLink& link) : m_link(link) {}
  virtual ~DeviceSimulator() = default;
  DeviceSimulator(const DeviceSimulator&) = delete;
  DeviceSimulator& operator=(const DeviceSimulator&) = delete;

  DeviceLink& Link() const { return m_link; }

  // A byte from the PC; a device that takes requests answers once one is complete.
  // Scanners take none.
  virtual void Receive(char /*byte*/) {}

  // What the device does by itself at each beat of its loop: the next scripted code
  // or weight line. The CAS AP-1 scale only ever answers.
  virtual void Beat() {}

 protected:
  bool Send(std::string_view bytes) { return m_link.Write(bytes); }

 private:
  DeviceLink& m_link;
};

// Plays `simulator` until `stop` is requested: hands it every byte its link brings and
// calls its Beat every `beatEvery` (after the bytes that are already in), the first
// time one interval after the start, so that the PC has opened its port by then (no
// beats when zero). It notices the request within kStopLatency, plus the time of a
// write in progress.
inline constexpr std::chrono::milliseconds kStopLatency{20};
void RunSimulator(DeviceSimulator& simulator, std::chrono::milliseconds beatEvery,
                  const std::stop_token& stop);

}  // namespace zelvane::devsim
