#include "platform/guarded_call.h"

#include <cstdint>
#include <limits>
#include <string>

#include <gtest/gtest.h>

// The processors that have the assembly thunk (see src/platform/guarded_call.cpp).
#if defined(__i386__) || defined(__x86_64__)

extern "C" {
void zelvane_guarded_call(void (*function)(), std::uintptr_t a0, std::uintptr_t a1,
                          std::uintptr_t a2, std::uintptr_t a3);

// tests/platform/register_probe_*.S
struct ZelvaneProbeCall {
  void (*target)();
  std::uintptr_t args[5];
  std::uintptr_t stack_skew;
};
unsigned zelvane_test_register_probe(const ZelvaneProbeCall* call);
void zelvane_test_clobber_registers();
void zelvane_test_clobber_registers_and_pop();
extern unsigned zelvane_test_clobber_calls;
extern std::uintptr_t zelvane_test_clobber_entry_sp;
}

namespace zelvane {
namespace {

// Probe mask bits, by hardware register number; on Windows x64 then xmm6..xmm15.
#if defined(__x86_64__) && defined(_WIN32)
constexpr unsigned kAllRegisters = 0x3ffffff;
#elif defined(__x86_64__)
constexpr unsigned kAllRegisters = 0xffff;
#else
constexpr unsigned kAllRegisters = 0xff;
#endif
constexpr unsigned kStackPointer = 1u << 4;
constexpr std::uintptr_t kWord = sizeof(void*);

// Argument words as platform::CallStatusCallback makes them: integers sign-extended.
std::uintptr_t Word(const void* pointer) {
  return reinterpret_cast<std::uintptr_t>(pointer);
}
std::uintptr_t Word(std::int32_t value) {
  return static_cast<std::uintptr_t>(static_cast<std::intptr_t>(value));
}
template <typename Function>
void (*AnyFunction(Function function))() {
  return reinterpret_cast<void (*)()>(function);
}

// Direct call of `callback` from the probe, with arbitrary argument words.
ZelvaneProbeCall DirectCall(void (*callback)(), std::uintptr_t stack_skew) {
  return {callback, {0xa1, 0xa2, 0xa3, 0xa4, 0xa5}, stack_skew};
}

// Call of `callback` through the thunk, called by the probe.
ZelvaneProbeCall GuardedCall(void (*callback)(), std::uintptr_t stack_skew) {
  return {AnyFunction(&zelvane_guarded_call),
          {reinterpret_cast<std::uintptr_t>(callback), 0xb1, 0xb2, 0xb3, 0xb4},
          stack_skew};
}

// Whether a callee entered with `entry_sp` (pointing at its return address) had the
// stack 16-byte aligned at the call.
bool AlignedAtCall(std::uintptr_t entry_sp) {
  return (entry_sp + kWord) % 16 == 0;
}

TEST(GuardedCallTest, ProbeSeesWhatACarelessCallbackDestroys) {
  ZelvaneProbeCall clobber = DirectCall(&zelvane_test_clobber_registers, 0);
  EXPECT_EQ(zelvane_test_register_probe(&clobber), kAllRegisters & ~kStackPointer);
  EXPECT_TRUE(AlignedAtCall(zelvane_test_clobber_entry_sp));

  ZelvaneProbeCall clobber_and_pop = DirectCall(&zelvane_test_clobber_registers_and_pop, 0);
  EXPECT_EQ(zelvane_test_register_probe(&clobber_and_pop), kAllRegisters);

  // The skew reaches the callee, so the alignment check of the thunk can fail.
  ZelvaneProbeCall skewed = DirectCall(&zelvane_test_clobber_registers, kWord);
  zelvane_test_register_probe(&skewed);
  EXPECT_FALSE(AlignedAtCall(zelvane_test_clobber_entry_sp));
}

TEST(GuardedCallTest, HandsBackEveryRegisterAndAlignsTheCall) {
  struct Callback {
    const char* name;
    void (*function)();
  };
  for (const Callback& callback :
       {Callback{"clobber", &zelvane_test_clobber_registers},
        Callback{"clobber and pop 16 bytes", &zelvane_test_clobber_registers_and_pop}}) {
    for (std::uintptr_t skew = 0; skew < 16; skew += kWord) {
      SCOPED_TRACE(testing::Message() << callback.name << ", stack skew " << skew);
      const unsigned calls = zelvane_test_clobber_calls;
      zelvane_test_clobber_entry_sp = 1;
      ZelvaneProbeCall guarded = GuardedCall(callback.function, skew);
      EXPECT_EQ(zelvane_test_register_probe(&guarded), 0u);
      EXPECT_EQ(zelvane_test_clobber_calls, calls + 1);
      EXPECT_TRUE(AlignedAtCall(zelvane_test_clobber_entry_sp));
    }
  }
}

struct StatusSeen {
  int calls = 0;
  std::int32_t code = 0;
  const char* text = nullptr;
  std::string text_copy;
  std::int32_t first = 0;
  std::int32_t second = 0;
};
StatusSeen status_seen;

void ZELVANE_CALL SeeStatus(std::int32_t code, const char* text, std::int32_t first,
                            std::int32_t second) {
  ++status_seen.calls;
  status_seen.code = code;
  status_seen.text = text;
  status_seen.text_copy = text;
  status_seen.first = first;
  status_seen.second = second;
}

void ZELVANE_CALL AddToCounters(HostLineRecord* record) {
  int* counters = reinterpret_cast<int*>(record);
  counters[0] += 5;
  counters[1] = -counters[1];
}

TEST(GuardedCallTest, PassesTheArgumentsInOrder) {
  status_seen = StatusSeen();
  const char text[] = "Pripojeni COM3";
  zelvane_guarded_call(AnyFunction(&SeeStatus), Word(-7), Word(text),
                       Word(std::numeric_limits<std::int32_t>::min()), Word(-2));
  EXPECT_EQ(status_seen.calls, 1);
  EXPECT_EQ(status_seen.code, -7);
  EXPECT_EQ(status_seen.text, text);
  EXPECT_EQ(status_seen.text_copy, "Pripojeni COM3");
  EXPECT_EQ(status_seen.first, std::numeric_limits<std::int32_t>::min());
  EXPECT_EQ(status_seen.second, -2);

  platform::CallStatusCallback(&SeeStatus, 11, "Hotovo", std::numeric_limits<std::int32_t>::max(),
                               -1);
  EXPECT_EQ(status_seen.calls, 2);
  EXPECT_EQ(status_seen.code, 11);
  EXPECT_EQ(status_seen.text_copy, "Hotovo");
  EXPECT_EQ(status_seen.first, std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(status_seen.second, -1);
}

TEST(GuardedCallTest, CalleeWritesReachTheCaller) {
  int counters[2] = {10, 3};
  platform::CallRecordCallback(&AddToCounters, reinterpret_cast<HostLineRecord*>(counters));
  EXPECT_EQ(counters[0], 15);
  EXPECT_EQ(counters[1], -3);
}

}  // namespace
}  // namespace zelvane

#endif
