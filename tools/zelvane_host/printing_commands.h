#pragma once

#include <string>

#include "host_options.h"

namespace zelvane::host {

// Whether the options ask for raw printing instead of a device job.
bool WantsPrinting(const HostOptions& options);

// Lists the printers with what each name stands for (--list-printers), shows what
// --printer stands for and sends --print's file raw to it, through the library at
// `libraryPath`. Returns the exit status: 0 when everything asked for was done, 1
// when the library is unusable, the file unreadable or the job refused.
int RunPrinting(const std::string& libraryPath, const HostOptions& options);

}  // namespace zelvane::host
