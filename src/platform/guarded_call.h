#pragma once

#include "zelvane.h"

namespace zelvane::platform {

// Calls into host code. Hosts written for the original library may hand over
// callbacks that do not preserve the registers the C calling convention asks them to
// keep, so every host callback goes through a thunk that saves and restores all
// general registers around the call.
void CallCodeCallback(CodeCallback callback, const char* code);
void CallStatusCallback(StatusCallback callback, int code, const char* text, int first, int second);
void CallRecordCallback(RecordCallback callback, HostLineRecord* record);

}  // namespace zelvane::platform
