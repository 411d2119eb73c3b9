#include "protocol/line_reader.h"

#include "buffers/chr_arr.h"
#include "serial/veduvezid.h"

namespace zelvane {

int TakePushedLine(CVeduvezid& comm, int port, std::uint8_t terminator, CChrArr& line) {
  line = CChrArr();
  if (comm.BytesAvailable(port) >= kMaxBacklog) {
    comm.FlushInput(port);
    return comm.CheckStatus();
  }
  if (comm.FindTerminator(port, kCarriageReturn) == 0) {
    if (comm.BytesAvailable(port) > kMaxLineLength) comm.FlushInput(port);
    return 0;
  }
  CChrArr taken = comm.ReceiveUntil(port, terminator, kMaxLineLength, 0);
  const int status = comm.CheckStatus();
  if (status == 0) line = taken;
  return status;
}

CChrArr WithoutLineEnd(const CChrArr& line) {
  int end = line.GetSize();
  if (end > 0 && line[end - 1] == kLineFeed) --end;
  if (end > 0 && line[end - 1] == kCarriageReturn) --end;
  return line.Left(end);
}

}  // namespace zelvane
