#include "devices/pricecheck/price_display.h"

#include <cstring>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "buffers/code_pages.h"
#include "buffers/field_format.h"

namespace zelvane {
namespace {

constexpr int kLineWidth = 20;
constexpr int kPriceWidth = 14;
constexpr std::int32_t kShownSecond = 5;
constexpr std::int32_t kOtherSecond = 3;
constexpr std::uint8_t kLineFeed = 10;
constexpr const char* kNotFound = "NIE ZNALEZIONO KODU\n";
// "zł" in code page 852.
constexpr const char* kCurrency = "z\x88";

CChrArr Bytes(std::string_view text) {
  CChrArr bytes;
  for (const char byte : text) bytes += static_cast<std::uint8_t>(byte);
  return bytes;
}

std::string_view UpToNul(const char* field, std::size_t size) {
  return {field, ::strnlen(field, size)};
}

CChrArr NameLine(const CChrArr& name) {
  CChrArr line = TrimByte(ToCp852(name), ' ').Left(kLineWidth);
  if (line.GetSize() < kLineWidth) line += kLineFeed;
  return line;
}

CChrArr PriceLine(double price) {
  return CChrArr("CENA") + PadLeft(TrimByte(FormatFixed(price, 11, 2), ' '), kPriceWidth, ' ') +
         kCurrency;
}

}  // namespace

PriceAnswer MakePriceAnswer(std::string_view code, std::string_view name, double price) {
  PriceAnswer answer;
  ToFixedText(answer.code, TrimByte(Bytes(code), ' '), PriceAnswer::kCodeSize - 1);
  ToFixedText(answer.name, TrimByte(Bytes(name), ' '), PriceAnswer::kNameSize - 1);
  answer.price = price;
  return answer;
}

PriceDisplay ComposeDisplay(const PriceAnswer& answer) {
  const std::string_view name = UpToNul(answer.name, PriceAnswer::kNameSize);
  if (name.empty()) return {kNotFound, PriceDisplay::kUnknownCode, kOtherSecond};
  const CChrArr text =
      (NameLine(Bytes(name)) + PriceLine(answer.price)).Left(PriceDisplay::kMaxText);
  return {ToCString(text), PriceDisplay::kArticle, kShownSecond};
}

PriceDisplay NoAnswerDisplay() {
  return {"", PriceDisplay::kNone, kOtherSecond};
}

}  // namespace zelvane
