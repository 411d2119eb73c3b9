#include "devices/scanners/metrologic.h"

#include "buffers/chr_arr.h"
#include "protocol/line_reader.h"
#include "serial/veduvezid.h"

namespace zelvane {

int CMetroLogic::Open(int port) {
  m_nError = 0;
  m_nPort = port;
  if (m_pComm == nullptr) {
    m_nError = TE_NOTOPEN;
    return 0;
  }
  CVeduvezid& comm = Comm();
  const int status = comm.OpenPort(port, 1024, 1024, kDefaultSpeed, 8, 'N', 1);
  if (status != 0) {
    m_nError = status;
    return 0;
  }
  // Only XON/XOFF differs from what OpenPort sets; its setter reopens the port.
  comm.SetCtsFlow(port, 0);
  comm.SetLineOption1(port, 0);
  comm.SetLineOption2(port, 0);
  comm.SetDtrMode(port, 1);
  comm.SetRtsMode(port, 1);
  comm.SetXonXoff(port, 1);
  comm.FlushOutput(port);
  comm.FlushInput(port);
  return 1;
}

CChrArr CMetroLogic::TakeLine(unsigned char terminator) {
  m_nError = 0;
  CChrArr line;
  if (m_pComm != nullptr) m_nError = TakePushedLine(Comm(), m_nPort, terminator, line);
  return line;
}

int CMetroLogic::ReadScan(CChrArr& code) {
  const CChrArr line = TakeLine(kLineFeed);
  code = line.IsEmpty() ? CChrArr() : line.Left(line.GetSize() - 2);
  return 1;
}

}  // namespace zelvane
