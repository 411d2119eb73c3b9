#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "cyclic_script.h"
#include "device_simulator.h"

namespace zelvane::devsim {

// How a scanner ends each code it pushes.
enum class LineEnd {
  kCrLf,  // Metrologic
  kCr,    // Tysso
};

// Codes scanned at one go; more than one arrive back to back in a single write.
struct ScannedCodes {
  std::vector<std::string> codes;
};
// Random bytes without any CR, so no line ever ends among them.
struct Noise {
  std::size_t length;
};
// One line of `length` characters before its terminator; beyond 128 it is more than a
// reader holds for a line.
struct OverlongLine {
  std::size_t length;
};
using ScannerCue = std::variant<ScannedCodes, Noise, OverlongLine>;

// A Metrologic or Tysso scanner: it only ever pushes lines to the PC and reads nothing.
class ScannerSimulator : public DeviceSimulator {
 public:
  ScannerSimulator(DeviceLink& link, LineEnd lineEnd, std::vector<ScannerCue> script,
                   std::uint32_t noiseSeed = 1);

  // The cues; each is one write to the link, false when the link did not take it.
  bool SendCode(std::string_view code);
  bool SendBurst(const std::vector<std::string>& codes);
  bool SendNoise(std::size_t length);
  bool SendOverlongLine(std::size_t length);
  bool Play(const ScannerCue& cue);

  // Plays the next cue of the script.
  void Beat() override;

 private:
  std::string Terminated(std::string_view code) const;

  LineEnd m_lineEnd;
  CyclicScript<ScannerCue> m_script;
  std::minstd_rand m_noise;
};

}  // namespace zelvane::devsim
