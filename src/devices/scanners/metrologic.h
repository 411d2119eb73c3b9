#pragma once

#include "protocol/veduvezid_ecr.h"

namespace zelvane {

class CChrArr;

// Metrologic scanners push each code as a line ending in CR LF; nothing is ever sent
// to them. The port runs at 9600,N,8,1 with XON/XOFF flow control.
class CMetroLogic : public CVeduvezidECR {
 public:
  using CVeduvezidECR::Open;
  int Open(int port) override;

  // Takes at most one complete line; `code` receives it less its CR LF, or stays
  // empty when none is complete. Always 1: a failed read only leaves the session's
  // status in the error.
  int ReadScan(CChrArr& code);

 protected:
  // One pushed line with its terminator, empty when there is none yet.
  CChrArr TakeLine(unsigned char terminator);
};

}  // namespace zelvane
