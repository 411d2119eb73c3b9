#include "device_script.h"

#include <cstdio>
#include <string>

#include "cp1250_text.h"
#include "overloaded.h"

namespace zelvane::devsim {
namespace {

// The scale codes of the library's device registry.
constexpr int kFawag = 600;
constexpr int kRadwag = 601;
constexpr int kCasAp1 = 602;
// The CipherLab collectors: full records, and short ones for 504.
constexpr int kCipherLabShort = 504;
constexpr int kBht = 503;
constexpr int kCasio = 505;
// How often the terminals that lead their transfers call the PC.
constexpr std::chrono::milliseconds kTerminalCalls{1000};

bool IsCipherLab(int code) {
  return code == 500 || code == 501 || code == kCipherLabShort;
}

bool IsTysso(int code) {
  return code == 400 || code == 401;
}
bool IsMetrologic(int code) {
  return code >= 402 && code <= 405;
}

ScannerScript DemoScanner(LineEnd lineEnd) {
  return {lineEnd,
          {ScannedCodes{{"5901234123457"}}, ScannedCodes{{"4006381333931"}},
           ScannedCodes{{"ZELVANE-DEMO"}}}};
}

// The Radwag and Fawag jobs report every line they read, so each stays a few beats.
LineScaleScript DemoLineScale(LineScaleModel model) {
  const Reading zero{ReadingKind::kStable, 0};
  const Reading settling{ReadingKind::kUnstable, 1.18};
  const Reading first{ReadingKind::kStable, 1.25};
  const Reading second{ReadingKind::kStable, 2.5};
  return {model, {zero, zero, settling, first, first, zero, zero, second, second}};
}

// The CAS AP-1 job reports a stable weight that follows a zero, once per placement.
CasScript DemoCas() {
  const CasStep zero = CasAnswer{"S  0.000kg"};
  const CasStep settling = CasAnswer{"U  1.180kg"};
  const CasStep first = CasAnswer{"S  1.234kg"};
  const CasStep empty = CasAnswer{"U       kg"};
  const CasStep second = CasAnswer{"S   2.50kg"};
  return {{zero, zero, settling, first, first, first, empty, zero, second, second, second}};
}

CipherLabScript DemoCipherLab(bool shortRecords) {
  CipherLabScript terminal;
  for (const char* text :
       shortRecords
           ? std::vector<const char*>{"5901234123457,3", "4006381333931", "ZELVANE-DEMO,2.5"}
           : std::vector<const char*>{"Mleko 3.2%,5901234123457,3,349", "Chleb,4006381333931,1,599",
                                      "Demo,ZELVANE-DEMO,2.5,1000"}) {
    terminal.steps.emplace_back(TerminalRecord{text});
  }
  return terminal;
}

// The first record of a BHT-6045 transfer never reaches the host.
BhtScript DemoBht() {
  return {9600,
          {BhtRecordStep{"0000000000000", "1"}, BhtRecordStep{"5901234123457", "3"},
           BhtRecordStep{"4006381333931", "1.5"}, BhtRecordStep{"ZELVANE-DEMO", "2"}}};
}

CasioScript DemoCasio() {
  return {19200,
          {CasioRecordStep{"5901234123457", "3"}, CasioRecordStep{"4006381333931", "1.5"},
           CasioRecordStep{"ZELVANE-DEMO", "2"}}};
}

// The terminal's texts are code page 1250; the screen shows UTF-8.
void PrintUpload(const std::string& text) {
  std::printf("terminal took: %s\n", host::Cp1250ToUtf8(text.c_str()).c_str());
  std::fflush(stdout);
}

}  // namespace

std::unique_ptr<DeviceSimulator> MakeSimulator(const DeviceScript& script, DeviceLink& link) {
  return std::visit(
      Overloaded{
          [&link](const ScannerScript& scanner) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<ScannerSimulator>(link, scanner.lineEnd, scanner.cues);
          },
          [&link](const LineScaleScript& scale) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<LineScaleSimulator>(link, scale.model, scale.readings);
          },
          [&link](const CasScript& cas) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<CasScaleSimulator>(link, cas.steps);
          },
          [&link](const CipherLabScript& terminal) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<CipherLabTerminalSimulator>(
                link, terminal.baud, terminal.steps,
                terminal.printUploads ? &PrintUpload : nullptr);
          },
          [&link](const BhtScript& terminal) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<BhtTerminalSimulator>(link, terminal.baud, terminal.steps);
          },
          [&link](const CasioScript& terminal) -> std::unique_ptr<DeviceSimulator> {
            return std::make_unique<CasioTerminalSimulator>(link, terminal.baud, terminal.steps);
          }},
      script.device);
}

std::optional<DeviceScript> DemoScript(int deviceCode) {
  using std::chrono::milliseconds;
  if (IsTysso(deviceCode)) return DeviceScript{DemoScanner(LineEnd::kCr), milliseconds(1000)};
  if (IsCipherLab(deviceCode)) {
    return DeviceScript{DemoCipherLab(deviceCode == kCipherLabShort), milliseconds(0)};
  }
  if (IsMetrologic(deviceCode)) {
    return DeviceScript{DemoScanner(LineEnd::kCrLf), milliseconds(1000)};
  }
  switch (deviceCode) {
    case kFawag:
      return DeviceScript{DemoLineScale(LineScaleModel::kFawagTwoDecimals), milliseconds(700)};
    case kRadwag: return DeviceScript{DemoLineScale(LineScaleModel::kRadwag), milliseconds(700)};
    case kCasAp1: return DeviceScript{DemoCas(), milliseconds(0)};
    case kBht: return DeviceScript{DemoBht(), kTerminalCalls};
    case kCasio: return DeviceScript{DemoCasio(), kTerminalCalls};
    default: return std::nullopt;
  }
}

}  // namespace zelvane::devsim
