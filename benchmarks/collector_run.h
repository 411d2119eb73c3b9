#pragma once

#include <cstddef>
#include <cstdint>

#include "zelvane.h"

namespace zelvane::benchmarks {

// One collector run through ZelvaneRunCollector, from its start to its end notice.
struct CollectorRunFigures {
  bool succeeded;     // ended with notice 10
  long records;       // records that reached the host
  double seconds;     // from the start to the end notice
  double cpuSeconds;  // of this process over that time
};

// Installs the status observer that tells a run's end; once, before ScanerCreate.
void WatchCollectorRuns();

// Runs the request's device in `mode` (2 reads, 3 loads `count` records) and waits
// for the run to end.
CollectorRunFigures RunCollector(const RunRequest& request, int32_t mode,
                                 HostLineRecord* records = nullptr, int32_t count = 0);

// One line: records per second, the share of the wire limit (`wireBytes` at 10 bits
// a byte over the elapsed time) and the processor used; FAILED unless the run
// succeeded with `expectedRecords` (when given).
void PrintCollectorRun(const char* what, int baud, std::size_t wireBytes,
                       const CollectorRunFigures& figures, long expectedRecords = -1);

}  // namespace zelvane::benchmarks
