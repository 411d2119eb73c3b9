#pragma once

#include "devices/scales/radwag.h"

namespace zelvane {

// Fawag scales speak the Radwag line protocol; only their lines are laid out
// differently, which is their job's business.
class CFawag : public CRadwag {};

}  // namespace zelvane
