#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "buffers/chr_arr.h"

// The far end of an in-memory serial line for the fuzz targets: a device that plays
// back what the fuzzer made up, on a virtual clock, so that a whole exchange with its
// time-outs runs in microseconds and no pseudo-terminal is needed.
//
// The fuzzer's bytes are a series of chunks, each a control byte, a length byte and
// that many bytes that the device sends:
// - control 0xFF: the device vanishes (the line fails from then on; no length follows);
// - control with the high bit set: the chunk answers the PC's next write;
// - otherwise: the chunk arrives (control × 20) ms after the previous one arrived.
// A truncated last chunk sends what it has. Every wait advances the virtual clock;
// nothing else does, so time passes only while the library waits.
namespace zelvane::fuzzing {

// Starts a new line with the device playing `data`; the clock keeps running.
void PlayDevice(const std::uint8_t* data, std::size_t size);

// Lets `milliseconds` of virtual time pass, as a job does between its polls.
void AdvanceClock(std::uint32_t milliseconds);

// Whether the device still has something to send, or sent something not yet read.
bool DeviceHasMore();

// How many of the device's chunks have not arrived yet.
std::size_t ChunksToCome();

// Everything the library wrote to the line since PlayDevice.
const std::string& BytesFromPc();

// The fuzzer's bytes as a buffer.
CChrArr BytesOf(const std::uint8_t* data, std::size_t size);

}  // namespace zelvane::fuzzing
