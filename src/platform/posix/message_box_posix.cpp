#include <atomic>
#include <cstdio>

#include "platform/message_box.h"

namespace zelvane::platform {
namespace {

// There is no desktop to block on: the text goes to standard error and counts as
// acknowledged at once.
void WriteToStandardError(const char* text) {
  std::fprintf(stderr, "zelvane: %s\n", text != nullptr ? text : "");
  std::fflush(stderr);
}

std::atomic<MessageHandler> g_handler{nullptr};

}  // namespace

void ShowMessageBox(const char* text) {
  const MessageHandler handler = g_handler.load();
  (handler != nullptr ? handler : &WriteToStandardError)(text != nullptr ? text : "");
}

void SetMessageHandler(MessageHandler handler) {
  g_handler.store(handler);
}

}  // namespace zelvane::platform
