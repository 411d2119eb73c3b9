#pragma once

#include <cstdint>
#include <string>

#include "platform/dynamic_library.h"

namespace zelvane::testing {

// A loopback port that nothing listens on right now.
std::uint16_t FreeLoopbackPort();

// Sets ZELVANE_PRICECHECK_LISTEN in the process's environment, where the service
// library reads it at every start.
void SetServiceAddress(const std::string& hostAndPort);

// The Zelvane library under test copied alone into a new temporary folder (no service
// library beside it) and loaded from there; null when that failed.
platform::LibraryHandle LoadLibraryCopyWithoutService(const char* libraryStem, std::string& error);

}  // namespace zelvane::testing
