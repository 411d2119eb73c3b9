#include "devices/scanners/tysso.h"

#include "buffers/chr_arr.h"
#include "protocol/dump_files.h"
#include "protocol/line_reader.h"

namespace zelvane {

int CTysso::ReadScan(CChrArr& code) {
  const CChrArr line = TakeLine(kCarriageReturn);
  if (line.IsEmpty()) {
    code = CChrArr();
    return 1;
  }
  WriteDump(DumpKind::kTextLine, line);
  code = line.Left(line.GetSize() - 1);
  return 1;
}

}  // namespace zelvane
