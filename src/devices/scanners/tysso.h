#pragma once

#include "devices/scanners/metrologic.h"

namespace zelvane {

// Tysso scanners open like Metrologic ones but end their lines with CR alone; every
// line received is also dumped.
class CTysso : public CMetroLogic {
 public:
  // Takes at most one complete line; `code` receives it less its CR. Always 1.
  int ReadScan(CChrArr& code);
};

}  // namespace zelvane
