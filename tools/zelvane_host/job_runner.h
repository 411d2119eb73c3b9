#pragma once

#include "host_options.h"
#include "zelvane.h"
#include "zelvane_api.h"

namespace zelvane::host {

// The run request of the options: device code, port and speed, with the status
// callback in word 9 (the library reads it for the collector codes only).
RunRequest MakeRunRequest(const HostOptions& options);

// Creates the service, runs one job until Ctrl-C, the time limit or its own end,
// breaks it, lets it end for at most a second and deletes the service. Returns the
// process exit status: 0 when the job ran, 1 when the library refused it.
int RunJob(const ZelvaneApi& api, const HostOptions& options);

}  // namespace zelvane::host
