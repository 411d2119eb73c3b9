#pragma once

#include <cstdint>

namespace zelvane {

class CLogicScaner;

// The global job object that serves a device code, or null for a code that selects
// nothing. Codes that share a job behave alike.
CLogicScaner* SelectJob(std::int32_t deviceCode);

// The job that the service falls back on (the Metrologic scanner job), or null while
// the library has none.
CLogicScaner* DefaultJob();

}  // namespace zelvane
