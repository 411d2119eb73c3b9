#include "platform/guarded_call.h"

#include <cstdint>

// The thunk calls `function` with four pointer-sized arguments, saving every general
// register first (and on Windows x64 the xmm registers its convention has callees
// keep) and restoring them afterwards. A callee that takes fewer arguments ignores
// the rest: the C convention leaves the stack to the caller.
#if defined(__i386__) || defined(__x86_64__)
#define ZELVANE_HAS_REGISTER_GUARD 1
extern "C" void zelvane_guarded_call(void (*function)(), std::uintptr_t a0, std::uintptr_t a1,
                                     std::uintptr_t a2, std::uintptr_t a3);
#endif

namespace zelvane::platform {
namespace {

template <typename Function>
void (*AsAnyFunction(Function function))() {
  return reinterpret_cast<void (*)()>(function);
}

std::uintptr_t Word(const void* pointer) {
  return reinterpret_cast<std::uintptr_t>(pointer);
}

// Integers travel sign-extended; the callee reads the low 32 bits.
std::uintptr_t Word(int value) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(value));
}

}  // namespace

void CallCodeCallback(CodeCallback callback, const char* code) {
#ifdef ZELVANE_HAS_REGISTER_GUARD
  zelvane_guarded_call(AsAnyFunction(callback), Word(code), 0, 0, 0);
#else
  callback(code);
#endif
}

void CallStatusCallback(StatusCallback callback, int code, const char* text, int first,
                        int second) {
#ifdef ZELVANE_HAS_REGISTER_GUARD
  zelvane_guarded_call(AsAnyFunction(callback), Word(code), Word(text), Word(first), Word(second));
#else
  callback(code, text, first, second);
#endif
}

void CallRecordCallback(RecordCallback callback, HostLineRecord* record) {
#ifdef ZELVANE_HAS_REGISTER_GUARD
  zelvane_guarded_call(AsAnyFunction(callback), Word(record), 0, 0, 0);
#else
  callback(record);
#endif
}

}  // namespace zelvane::platform
