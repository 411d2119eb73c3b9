#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "bht_terminal_simulator.h"
#include "cas_scale_simulator.h"
#include "casio_terminal_simulator.h"
#include "cipherlab_terminal_simulator.h"
#include "device_link.h"
#include "device_simulator.h"
#include "line_scale_simulator.h"
#include "scanner_simulator.h"

namespace zelvane::devsim {

struct ScannerScript {
  LineEnd lineEnd = LineEnd::kCrLf;
  std::vector<ScannerCue> cues;
};
struct LineScaleScript {
  LineScaleModel model = LineScaleModel::kRadwag;
  std::vector<Reading> readings;
};
struct CasScript {
  std::vector<CasStep> steps;
};
struct CipherLabScript {
  int baud = 9600;  // the line's pace
  std::vector<TerminalStep> steps;
  bool printUploads = true;  // each uploaded record also goes to standard output
};

struct BhtScript {
  int baud = 9600;  // the terminal's line
  std::vector<BhtStep> steps;
};
struct CasioScript {
  int baud = 19200;  // the terminal's line
  std::vector<CasioStep> steps;
};

// Which device to play and what it does: everything a simulator is made from.
struct DeviceScript {
  std::variant<ScannerScript, LineScaleScript, CasScript, CipherLabScript, BhtScript, CasioScript>
      device;
  // The pace of what the device does by itself (codes, pushed weight lines, the
  // terminals' calls to the PC); zero for none.
  std::chrono::milliseconds beatEvery{1000};
};

std::unique_ptr<DeviceSimulator> MakeSimulator(const DeviceScript& script, DeviceLink& link);

// A short show of each device family, for newcomers and a host's simulated ports:
// scanners send a few codes a second apart; the Radwag and Fawag scales push a load
// that goes zero, weight, zero, another weight; the CAS AP-1 scale answers the same
// course, holding each reading long enough for the job's stability rule; the CipherLab
// terminals hold a few records in their layout and take any upload; the Denso BHT-6045
// (503) and Casio DT-700 (505) terminals call the PC every second to send a few
// records.
std::optional<DeviceScript> DemoScript(int deviceCode);

}  // namespace zelvane::devsim
