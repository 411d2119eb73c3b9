#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

// The line's state, shared by the device script and the communications and clock
// backends of the fuzz build. Everything runs on the fuzzer's one thread.
namespace zelvane::fuzzing {

struct Chunk {
  bool vanishes = false;
  bool answersNextWrite = false;
  std::uint32_t delayMs = 0;
  std::string bytes;
};

struct LineState {
  std::uint64_t nowMs = 0;
  std::uint64_t lastArrivalMs = 0;
  std::deque<Chunk> script;
  std::string received;  // arrived at the PC's end, not yet read
  std::string fromPc;
  bool vanished = false;

  // Delivers the chunks whose time has come.
  void ReleaseDue();
  // The PC wrote: recorded, and the chunk that answers it arrives.
  void PcWrote(const std::uint8_t* bytes, std::size_t count);
  // True when input (or the vanishing) is there within `milliseconds`, advancing the
  // clock to that moment; otherwise the whole wait passes.
  bool WaitForInput(std::uint32_t milliseconds);

 private:
  void Arrive();
};

LineState& Line();

}  // namespace zelvane::fuzzing
