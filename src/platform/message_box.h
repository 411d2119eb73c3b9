#pragma once

namespace zelvane::platform {

// Receives the text of a modal message and returns once the user acknowledged it.
using MessageHandler = void (*)(const char* text);

// Shows a modal message with an OK button and blocks the calling thread until it is
// closed. Goes to the installed handler, or to the platform's default.
void ShowMessageBox(const char* text);

// Installs a handler; null restores the default (MessageBoxA on Windows, one line on
// standard error, acknowledged at once, elsewhere).
void SetMessageHandler(MessageHandler handler);

}  // namespace zelvane::platform
