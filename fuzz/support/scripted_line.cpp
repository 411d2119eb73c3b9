#include "scripted_line.h"

#include "scripted_line_state.h"

namespace zelvane::fuzzing {

namespace {

constexpr std::uint8_t kVanish = 0xFF;
constexpr std::uint8_t kAnswersNextWrite = 0x80;
constexpr std::uint32_t kDelayStepMs = 20;
// Far from zero, so that wall-clock seconds look like a real date to the dump names.
constexpr std::uint64_t kClockStartMs = 1'700'000'000'000;

}  // namespace

LineState& Line() {
  static LineState line{.nowMs = kClockStartMs};
  return line;
}

void LineState::ReleaseDue() {
  while (!script.empty() && !script.front().answersNextWrite &&
         lastArrivalMs + script.front().delayMs <= nowMs) {
    Arrive();
  }
}

void LineState::Arrive() {
  Chunk& chunk = script.front();
  lastArrivalMs = nowMs;
  if (chunk.vanishes) vanished = true;
  received += chunk.bytes;
  script.pop_front();
}

void LineState::PcWrote(const std::uint8_t* bytes, std::size_t count) {
  fromPc.append(reinterpret_cast<const char*>(bytes), count);
  if (!script.empty() && script.front().answersNextWrite) Arrive();
}

bool LineState::WaitForInput(std::uint32_t milliseconds) {
  ReleaseDue();
  if (!received.empty() || vanished) return true;
  if (!script.empty() && !script.front().answersNextWrite) {
    const std::uint64_t due = lastArrivalMs + script.front().delayMs;
    if (due <= nowMs + milliseconds) {
      nowMs = due;
      Arrive();
      return true;
    }
  }
  nowMs += milliseconds;
  return false;
}

void PlayDevice(const std::uint8_t* data, std::size_t size) {
  LineState& line = Line();
  line.script.clear();
  line.received.clear();
  line.fromPc.clear();
  line.vanished = false;
  line.lastArrivalMs = line.nowMs;
  std::size_t at = 0;
  while (at < size) {
    const std::uint8_t control = data[at++];
    Chunk chunk;
    if (control == kVanish) {
      chunk.vanishes = true;
    } else {
      chunk.answersNextWrite = (control & kAnswersNextWrite) != 0;
      chunk.delayMs = chunk.answersNextWrite ? 0 : control * kDelayStepMs;
      const std::size_t length = at < size ? data[at++] : 0;
      const std::size_t taken = length < size - at ? length : size - at;
      chunk.bytes.assign(reinterpret_cast<const char*>(data + at), taken);
      at += taken;
    }
    line.script.push_back(std::move(chunk));
  }
}

void AdvanceClock(std::uint32_t milliseconds) {
  Line().nowMs += milliseconds;
}

bool DeviceHasMore() {
  return !Line().script.empty() || !Line().received.empty();
}

std::size_t ChunksToCome() {
  return Line().script.size();
}

const std::string& BytesFromPc() {
  return Line().fromPc;
}

CChrArr BytesOf(const std::uint8_t* data, std::size_t size) {
  CChrArr bytes;
  for (std::size_t i = 0; i < size; ++i) bytes += data[i];
  return bytes;
}

}  // namespace zelvane::fuzzing
