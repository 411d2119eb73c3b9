#pragma once

#include "platform/comm.h"

namespace zelvane {

// The parameters a port was last opened with, its line settings and the status of
// the last session operation, so that a change of one setting can reopen the port
// with all the others.
struct PortProfile {
  // The six line settings, with the meanings of the engine's fields.
  int ctsFlow = 0;
  int lineOption1 = 0;
  int lineOption2 = 0;
  int dtrMode = platform::comm::kDtrControlEnable;
  int rtsMode = platform::comm::kRtsControlEnable;
  int xonXoff = 0;
  int status = 0;  // 0 or a TE_* code
  int port = 0;
  int inBufferSize = 1024;
  int outBufferSize = 1024;
  int baudRate = 9600;
  int dataBits = 8;
  char parity = 'N';
  int stopBits = 1;  // 1 one, 2 two, 3 one and a half
};

}  // namespace zelvane
