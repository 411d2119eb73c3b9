#include "device_simulator.h"

#include <algorithm>
#include <string>

namespace zelvane::devsim {

void RunSimulator(DeviceSimulator& simulator, std::chrono::milliseconds beatEvery,
                  const std::stop_token& stop) {
  using Clock = std::chrono::steady_clock;
  using std::chrono::milliseconds;
  constexpr std::size_t kReadChunk = 64;
  const bool beats = beatEvery.count() > 0;
  Clock::time_point nextBeat = Clock::now() + beatEvery;
  while (!stop.stop_requested()) {
    milliseconds wait = kStopLatency;
    if (beats) {
      const Clock::time_point now = Clock::now();
      if (now >= nextBeat) {
        // What came while this thread was held up goes first: a terminal with the PC's
        // answer already in its input does not call again across it.
        for (const char byte : simulator.Link().Read(kReadChunk, 0)) simulator.Receive(byte);
        simulator.Beat();
        nextBeat += beatEvery;
        // Beats held up by a slow write shift the rest rather than firing all at once.
        if (nextBeat <= Clock::now()) nextBeat = Clock::now() + beatEvery;
        continue;
      }
      wait = std::min(wait, std::chrono::ceil<milliseconds>(nextBeat - now));
    }
    const std::string received = simulator.Link().Read(kReadChunk, static_cast<int>(wait.count()));
    for (const char byte : received) simulator.Receive(byte);
  }
}

}  // namespace zelvane::devsim
