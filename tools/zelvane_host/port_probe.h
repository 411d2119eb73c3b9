#pragma once

#include <functional>
#include <optional>
#include <string>

#include "probe_frames.h"

namespace zelvane::host {

// What a probe found on a port, and at which speed.
struct ProbeResult {
  ProbeFinding finding;
  int baud;
};

// Finds out what is wired to COM port `port` by asking only what changes nothing on
// a device: the Radwag and Fawag weight request ("D" CR LF) and the CAS AP-1 dialogue
// (ENQ, then DC1), at each speed scales are set to. It never sends a collector
// command: for scanners and collectors it listens, at their speeds in turn. Every
// step is told to `say` as a line of UTF-8; a silent port takes about 26 seconds.
// Nothing when no device made itself known, or the port did not open.
std::optional<ProbeResult> ProbePort(int port, const std::function<void(const std::string&)>& say);

}  // namespace zelvane::host
