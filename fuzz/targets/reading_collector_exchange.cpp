// BHT-6045 and Casio DT-700 terminals that send whatever the fuzzer makes up. The
// first byte picks the terminal. Every record handed on must be a whole one; a BHT
// record is handed on only after the PC acknowledged its block.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "devices/collectors/bht6045.h"
#include "devices/collectors/casio_dt700.h"
#include "devices/control_characters.h"
#include "devices/reading_record.h"
#include "exchange.h"
#include "fuzz_check.h"

namespace {

using namespace zelvane;

int g_delivered = 0;

void CheckRecord(void* pointer) {
  const auto* record = static_cast<const ReadingRecord*>(pointer);
  FUZZ_CHECK(std::memchr(record->text, 0, sizeof record->text) != nullptr);
  FUZZ_CHECK(!std::isnan(record->quantity));
  ++g_delivered;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static CBht6045 bht;
  static CCasioDT700 casio;
  g_delivered = 0;
  if (data[0] % 2 == 0) {
    fuzzing::RunExchange(bht, data + 1, size - 1, 500, [] { bht.ReadRecords(&CheckRecord); });
    const std::string& sent = fuzzing::BytesFromPc();
    const auto acks = std::count(sent.begin(), sent.end(), static_cast<char>(control::kAck));
    // The link, the header and the first record are acknowledged before any delivery.
    FUZZ_CHECK(g_delivered == 0 || g_delivered + 3 <= acks);
  } else {
    fuzzing::RunExchange(casio, data + 1, size - 1, 500, [] { casio.ReadRecords(&CheckRecord); });
  }
  return 0;
}
