#include "devices/scanners/metrologic.h"

#include "buffers/chr_arr.h"
#include "platform/comm.h"
#include "protocol/line_reader.h"
#include "serial/veduvezid.h"

namespace zelvane {

int CMetroLogic::Open(int port) {
  if (!OpenPort(port, kDefaultSpeed)) return 0;
  CVeduvezid& comm = Comm();
  // Only XON/XOFF differs from what OpenPort sets; its setter reopens the port.
  comm.SetCtsFlow(port, 0);
  comm.SetLineOption1(port, 0);
  comm.SetLineOption2(port, 0);
  comm.SetDtrMode(port, platform::comm::kDtrControlEnable);
  comm.SetRtsMode(port, platform::comm::kRtsControlEnable);
  comm.SetXonXoff(port, 1);
  return FlushBothWays() ? 1 : 0;
}

CChrArr CMetroLogic::TakeLine(unsigned char terminator) {
  m_nError = 0;
  CChrArr line;
  if (m_pComm != nullptr) m_nError = TakePushedLine(Comm(), m_nPort, terminator, line);
  return line;
}

int CMetroLogic::ReadScan(CChrArr& code) {
  code = WithoutLineEnd(TakeLine(kLineFeed));
  return 1;
}

}  // namespace zelvane
