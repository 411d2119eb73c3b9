#pragma once

#include <cstdint>

namespace spr_lan {

// Names one terminal connection for the life of the service; never reused.
using ConnectionId = std::uint64_t;

}  // namespace spr_lan
