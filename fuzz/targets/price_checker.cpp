// What price-checker terminals send (cut into scanned codes) and what they are told:
// the display composed from the host's answer and the display commands around it.
// The first bytes choose the price, where the stream is cut and the answer's name.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "devices/pricecheck/price_display.h"
#include "fuzz_check.h"
#include "line_splitter.h"
#include "terminal_answer.h"

namespace {

constexpr std::size_t kParameterBytes = 10;
constexpr char kEscape = 0x1B;

void CheckCode(const std::string& code) {
  FUZZ_CHECK(!code.empty() && code.size() <= spr_lan::LineSplitter::kMaxLineLength);
  for (const char c : code) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < kParameterBytes) return 0;
  double price = 0;
  std::memcpy(&price, data, sizeof price);
  const std::size_t cut = data[8];
  const std::size_t nameLength = data[9];
  const std::string_view stream(reinterpret_cast<const char*>(data) + kParameterBytes,
                                size - kParameterBytes);

  spr_lan::LineSplitter splitter;
  std::string lastCode;
  for (std::size_t at = 0; at < stream.size(); at += cut + 1) {
    for (const std::string& code : splitter.Feed(stream.substr(at, cut + 1))) {
      CheckCode(code);
      lastCode = code;
    }
  }

  const std::string_view name = stream.substr(0, nameLength);
  const zelvane::PriceAnswer answer = zelvane::MakePriceAnswer(lastCode, name, price);
  FUZZ_CHECK(std::memchr(answer.code, 0, sizeof answer.code) != nullptr);
  FUZZ_CHECK(std::memchr(answer.name, 0, sizeof answer.name) != nullptr);
  if (!std::isfinite(price)) return 0;
  const zelvane::PriceDisplay display = zelvane::ComposeDisplay(answer);
  FUZZ_CHECK(display.text.size() <= zelvane::PriceDisplay::kMaxText);
  const std::string told = spr_lan::ComposeTerminalAnswer(display.kind, display.text);
  FUZZ_CHECK(told.size() >= 2 && told[0] == kEscape && told[1] == '%');
  // The host's text never carries display commands of its own.
  FUZZ_CHECK(told.find(kEscape, 1) == std::string::npos);
  return 0;
}
