#include "scanner_simulator.h"

#include <utility>

#include "devices/control_characters.h"
#include "overloaded.h"

namespace zelvane::devsim {
namespace {}  // namespace

ScannerSimulator::ScannerSimulator(DeviceLink& link, LineEnd lineEnd,
                                   std::vector<ScannerCue> script, std::uint32_t noiseSeed)
    : DeviceSimulator(link), m_lineEnd(lineEnd), m_script(std::move(script)), m_noise(noiseSeed) {}

std::string ScannerSimulator::Terminated(std::string_view code) const {
  std::string line(code);
  line += m_lineEnd == LineEnd::kCrLf ? "\r\n" : "\r";
  return line;
}

bool ScannerSimulator::SendCode(std::string_view code) {
  return Send(Terminated(code));
}

bool ScannerSimulator::SendBurst(const std::vector<std::string>& codes) {
  std::string burst;
  for (const std::string& code : codes) burst += Terminated(code);
  return Send(burst);
}

bool ScannerSimulator::SendNoise(std::size_t length) {
  std::uniform_int_distribution<int> anyByte(0, 255);
  std::string noise;
  noise.reserve(length);
  for (std::size_t i = 0; i < length; ++i) {
    // A NUL every sixteen bytes: readers that treat the bytes as C strings lose the
    // rest after one.
    char byte = i % 16 == 0 ? '\0' : static_cast<char>(anyByte(m_noise));
    if (byte == control::kCr) byte = '\0';
    noise += byte;
  }
  return Send(noise);
}

bool ScannerSimulator::SendOverlongLine(std::size_t length) {
  std::string line;
  line.reserve(length);
  for (std::size_t i = 0; i < length; ++i) line += static_cast<char>('0' + i % 10);
  return SendCode(line);
}

bool ScannerSimulator::Play(const ScannerCue& cue) {
  return std::visit(
      Overloaded{[this](const ScannedCodes& scanned) { return SendBurst(scanned.codes); },
                 [this](const Noise& noise) { return SendNoise(noise.length); },
                 [this](const OverlongLine& line) { return SendOverlongLine(line.length); }},
      cue);
}

void ScannerSimulator::Beat() {
  if (const ScannerCue* cue = m_script.Next()) Play(*cue);
}

}  // namespace zelvane::devsim
