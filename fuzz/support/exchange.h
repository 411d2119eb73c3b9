#pragma once

#include <cstdint>

#include "protocol/veduvezid_ecr.h"
#include "scripted_line.h"
#include "serial/veduvezid.h"

namespace zelvane::fuzzing {

// Plays the fuzzer's device against one protocol object on port 1: the protocol is
// opened, `poll` is called as its job would call it, with `pollMs` of virtual time
// between calls, until the device has nothing more to say, or it has said nothing in
// kIdlePolls polls (it waits for a write that will not come), or kMaxPolls; then the
// port is closed.
inline constexpr int kMaxPolls = 512;
inline constexpr int kIdlePolls = 8;

template <typename Poll>
void RunExchange(CVeduvezidECR& protocol, const std::uint8_t* data, std::size_t size,
                 std::uint32_t pollMs, Poll poll) {
  static CVeduvezid serialObject;
  PlayDevice(data, size);
  protocol.SetComm(&serialObject);
  if (protocol.Open(1) == 1) {
    int idle = 0;
    for (int polls = 0; polls < kMaxPolls && DeviceHasMore() && idle < kIdlePolls; ++polls) {
      const std::size_t before = ChunksToCome();
      poll();
      AdvanceClock(pollMs);
      idle = ChunksToCome() == before ? idle + 1 : 0;
    }
  }
  protocol.Close();
}

}  // namespace zelvane::fuzzing
