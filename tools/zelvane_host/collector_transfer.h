#pragma once

#include "host_options.h"
#include "zelvane_api.h"

namespace zelvane::host {

// Reads a collector's records into the CSV file of --read-csv, or loads the CSV file
// of --load-csv into it, through ZelvaneRunCollector. Shows the transfer's progress
// until the run ends (or Ctrl-C breaks it): on a terminal a bar with the records and
// records per second, otherwise a plain line every few seconds. Returns the exit
// status: 0 when the run ended with success, 1 otherwise, 2 for a file that cannot be
// used.
int RunCollectorTransfer(const ZelvaneApi& api, const HostOptions& options);

}  // namespace zelvane::host
