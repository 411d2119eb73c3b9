#include "ondrell.h"

#include <atomic>

namespace {

// Error state read by other threads of the host, hence atomics; the text is one of
// the fixed literals below, so handing out its pointer is always safe.
std::atomic<int32_t> g_errorCode{0};
std::atomic<const char*> g_errorText{""};

constexpr int32_t kGeneralFailure = 999999;
// "Brak urządzeń drugiej generacji" in code page 1250.
constexpr const char* kNoDevices =
    "Brak urz\xB9"
    "dze\xF1 drugiej generacji";

}  // namespace

extern "C" {

int32_t ONDRELL_CALL Scaner2Create(void*) {
  return 1;
}

int32_t ONDRELL_CALL Scaner2Delete(void) {
  return 1;
}

int32_t ONDRELL_CALL Scaner2Run(int32_t, int32_t) {
  g_errorText.store(kNoDevices);
  g_errorCode.store(kGeneralFailure);
  return 0;
}

int32_t ONDRELL_CALL Scaner2BreakJob(int32_t) {
  return 0;
}

int32_t ONDRELL_CALL Scaner2Error(void) {
  return g_errorCode.load();
}

const char* ONDRELL_CALL Scaner2ErrMsg(void) {
  return g_errorText.load();
}

}  // extern "C"
