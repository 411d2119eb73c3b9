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
  return Byte(cas::kStx) + answer + Byte(check) + Byte(cas::kEtx);
}

std::vector<ScriptedResponder::Step> CasReading(const std::string& block) {
  return {{Byte(cas::kEnq), Byte(cas::kAck)},
          {Byte(cas::kDc1), Byte(cas::kSoh) + block + Byte(cas::kEot)}};
}

std::vector<ScriptedResponder::Step> CasReadings(const std::vector<std::string>& answers) {
  std::vector<ScriptedResponder::Step> steps;
  for (const std::string& answer : answers) {
    for (ScriptedResponder::Step& step : CasReading(CasBlock(answer))) steps.push_back(step);
  }
  return steps;
}

ScriptedResponder::Step CasNotReady() {
  return {Byte(cas::kEnq), std::string(1, kNak)};
}

}  // namespace zelvane::testing
