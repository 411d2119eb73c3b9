// A CipherLab terminal that answers whatever the fuzzer makes up, read from in both
// layouts or loaded with records. The first byte picks the transfer and the count.
#include <cstdint>
#include <cstring>
#include <string>

#include "devices/collectors/cipherlab.h"
#include "exchange.h"
#include "fuzz_check.h"

namespace {

using namespace zelvane;

int Count(const std::string& bytes, const std::string& what) {
  int count = 0;
  for (std::size_t at = bytes.find(what); at != std::string::npos; at = bytes.find(what, at + 1)) {
    ++count;
  }
  return count;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  static CCipherLab terminal;
  const std::uint8_t choice = data[0];
  int delivered = 0;
  if (choice % 3 != 2) {
    const auto layout =
        choice % 3 == 0 ? cipherlab::RecordLayout::kFull : cipherlab::RecordLayout::kShort;
    fuzzing::RunExchange(terminal, data + 1, size - 1, 500, [&] {
      terminal.ReadRecords(
          [&](cipherlab::CollectorRecord& record) {
            FUZZ_CHECK(std::memchr(record.code, 0, sizeof record.code) != nullptr);
            FUZZ_CHECK(std::memchr(record.name, 0, sizeof record.name) != nullptr);
            ++delivered;
          },
          layout);
    });
    // A record reaches the host only once the terminal has been told it arrived.
    FUZZ_CHECK(delivered <= Count(fuzzing::BytesFromPc(), cipherlab::kAck));
  } else {
    const int count = choice / 3 % 8;
    fuzzing::RunExchange(terminal, data + 1, size - 1, 500, [&] {
      terminal.LoadRecords(
          [](cipherlab::CollectorRecord& record, int index) {
            std::memset(&record, 0, sizeof record);
            std::snprintf(record.code, sizeof record.code, "%d", 590 + index);
            std::strcpy(record.name, "Mleko, 1l");
            record.quantity = index + 1;
            record.price = 3.49;
          },
          count);
    });
  }
  return 0;
}
