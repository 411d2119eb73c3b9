#include <windows.h>

#include <atomic>

#include "platform/message_box.h"

namespace zelvane::platform {
namespace {

void ShowWithMessageBox(const char* text) {
  ::MessageBoxA(nullptr, text, "", MB_OK);
}

std::atomic<MessageHandler> g_handler{nullptr};

}  // namespace

void ShowMessageBox(const char* text) {
  const MessageHandler handler = g_handler.load();
  (handler != nullptr ? handler : &ShowWithMessageBox)(text != nullptr ? text : "");
}

void SetMessageHandler(MessageHandler handler) {
  g_handler.store(handler);
}

}  // namespace zelvane::platform
