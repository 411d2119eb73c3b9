// Metrologic and Tysso scanners pushing whatever the fuzzer makes up, polled every
// 500 ms as their jobs poll them. The first byte picks the scanner.
#include <cstdint>

#include "buffers/chr_arr.h"
#include "devices/scanners/tysso.h"
#include "exchange.h"
#include "fuzz_check.h"
#include "protocol/line_reader.h"

namespace {

using zelvane::CChrArr;

// A code is one line without its terminator, never longer than a line may be.
void CheckCode(const CChrArr& code, std::uint8_t terminator) {
  FUZZ_CHECK(code.GetSize() < zelvane::kMaxLineLength);
  FUZZ_CHECK(code.Find(terminator) < 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static zelvane::CMetroLogic metrologic;
  static zelvane::CTysso tysso;
  CChrArr code;
  if (data[0] % 2 == 0) {
    zelvane::fuzzing::RunExchange(metrologic, data + 1, size - 1, 500, [&] {
      FUZZ_CHECK(metrologic.ReadScan(code) == 1);
      CheckCode(code, zelvane::kLineFeed);
    });
  } else {
    zelvane::fuzzing::RunExchange(tysso, data + 1, size - 1, 500, [&] {
      FUZZ_CHECK(tysso.ReadScan(code) == 1);
      CheckCode(code, zelvane::kCarriageReturn);
    });
  }
  return 0;
}
