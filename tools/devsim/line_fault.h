#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "device_link.h"

namespace zelvane::devsim {

// What goes wrong on the line, once, at one byte of what the device sends.
enum class FaultKind {
  kDrop,    // the byte is lost
  kFlip,    // one bit of the byte is inverted
  kCut,     // the frame (the rest of that write) is lost from the byte on
  kStall,   // the device stops for a while before the byte, then goes on
  kVanish,  // the device is gone from the byte on: its line is closed
};

struct LineFault {
  FaultKind kind = FaultKind::kDrop;
  std::size_t atByte = 0;  // counted from 0 over everything the device sends
  std::uint8_t flipMask = 0x01;
  std::chrono::milliseconds stall{6000};  // longer than any exchange step waits
};

// A fault from its command-line form KIND[@BYTE] (drop, flip, cut, stall, vanish).
// Without @BYTE the byte, and the bit a flip inverts, are drawn from `seed` among the
// first `within` bytes.
std::optional<LineFault> ParseLineFault(std::string_view text, std::uint32_t seed,
                                        std::size_t within);

// The --fault and --seed options of a simulator: the fault is drawn with the seed once
// every option is read, whichever comes first.
class FaultOptions {
 public:
  // False for a form that ParseLineFault refuses.
  bool SetFault(std::string_view text);
  // False for anything but a whole unsigned 32-bit number.
  bool SetSeed(std::string_view text);
  // The fault given, drawn among the first `within` bytes when it names none.
  std::optional<LineFault> Drawn(std::size_t within) const;

 private:
  std::string m_fault;
  std::uint32_t m_seed = 1;
};

// A link that lets its fault strike the device's output as it passes through.
// `vanish` closes the line for good (the pseudo-terminal pair).
class FaultyLink : public DeviceLink {
 public:
  FaultyLink(DeviceLink& line, const LineFault& fault, std::function<void()> vanish)
      : m_line(line), m_fault(fault), m_vanish(std::move(vanish)) {}

  bool Write(std::string_view bytes) override;
  std::string Read(std::size_t count, int timeoutMs) override;

  // Ends a stall at once: the device is being stopped.
  void Cancel() { m_cancelled = true; }

 private:
  bool Strike(std::string_view bytes, std::size_t at);
  void Stall();

  DeviceLink& m_line;
  LineFault m_fault;
  std::function<void()> m_vanish;
  std::size_t m_sent = 0;
  bool m_struck = false;
  bool m_vanished = false;
  std::atomic<bool> m_cancelled{false};
};

}  // namespace zelvane::devsim
