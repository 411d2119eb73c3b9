// The exports that install a host's own listeners: the handler of the library's message
// boxes and the observer of every status notice.
#include "host/export_guard.h"
#include "host/library_objects.h"
#include "jobs/host_link.h"
#include "platform/message_box.h"
#include "zelvane.h"

using namespace zelvane;

extern "C" {

ZELVANE_API void ZELVANE_CALL ZelvaneSetMessageHandler(ZelvaneMessageHandler handler) {
  Guarded<int>(0, [&] {
    platform::SetMessageHandler(handler);
    return 0;
  });
}

ZELVANE_API void ZELVANE_CALL ZelvaneSetStatusObserver(StatusCallback observer) {
  Guarded<int>(0, [&] {
    TheHostLink().SetStatusObserver(observer);
    return 0;
  });
}

}  // extern "C"
