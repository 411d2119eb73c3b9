#include "platform/process_end.h"

namespace zelvane::platform {

bool ProcessIsEnding() {
  return false;
}

}  // namespace zelvane::platform
