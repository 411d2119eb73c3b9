#pragma once

#include <cstdint>
#include <span>

#include "jobs/run_state.h"

namespace zelvane {

class CLogicScaner;

// Which exports start a device's job.
enum class RunOffer {
  kEveryExport,          // ScanerRun and ZelvaneRunCollector
  kCollectorExportOnly,  // ZelvaneRunCollector only: ScanerRun refuses the code
};

// One row of the device registry: the device codes that one global job serves. Codes
// that share a row behave alike.
struct DeviceEntry {
  std::int32_t firstCode;
  std::int32_t lastCode;
  CLogicScaner* job;
  // The device family in Polish (code page 1250), for the host's messages.
  const char* family;
  // Collector requests carry the host's status callback in word 9; other hosts may
  // pass nine words, so word 9 is read for these rows only.
  bool statusCallbackInWord9;
  PollTiming pollTiming;
  RunOffer offer;
};

// The row of a device code among `devices`; null for a code that selects nothing.
const DeviceEntry* FindDevice(std::span<const DeviceEntry> devices, std::int32_t deviceCode);

// The library's registry: every row, in the order in which their jobs are made at load.
std::span<const DeviceEntry> Devices();

}  // namespace zelvane
