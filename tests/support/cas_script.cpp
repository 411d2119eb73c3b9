#include "support/cas_script.h"

#include "buffers/chr_arr.h"
#include "devices/scales/cas_frames.h"

namespace zelvane::testing {
namespace {

constexpr char kNak = 0x15;

std::string Byte(std::uint8_t byte) {
  return std::string(1, static_cast<char>(byte));
}

}  // namespace

std::string CasBlock(const std::string& answer) {
  return CasBlock(answer, BlockCheckCharacter(CChrArr(answer)));
}

std::string CasBlock(const std::string& answer, std::uint8_t check) {
  return Byte(control::kStx) + answer + Byte(check) + Byte(control::kEtx);
}

std::vector<ScriptedResponder::Step> CasReading(const std::string& block) {
  return {{Byte(control::kEnq), Byte(control::kAck)},
          {Byte(control::kDc1), Byte(control::kSoh) + block + Byte(control::kEot)}};
}

std::vector<ScriptedResponder::Step> CasReadings(const std::vector<std::string>& answers) {
  std::vector<ScriptedResponder::Step> steps;
  for (const std::string& answer : answers) {
    for (ScriptedResponder::Step& step : CasReading(CasBlock(answer))) steps.push_back(step);
  }
  return steps;
}

ScriptedResponder::Step CasNotReady() {
  return {Byte(control::kEnq), std::string(1, kNak)};
}

}  // namespace zelvane::testing
