#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace zelvane {

// The host's answer to one price request, as the 88-byte block that the request
// waits for: code and name (code page 1250) NUL-terminated, and the unit price. The
// code is carried but never shown.
struct PriceAnswer {
  static constexpr std::size_t kCodeSize = 32;
  static constexpr std::size_t kNameSize = 48;

  char code[kCodeSize] = {};
  char name[kNameSize] = {};
  double price = 0.0;
};
static_assert(sizeof(PriceAnswer) == 88);

// What a terminal is told: up to 40 bytes of code page 852 text (a line feed ends a
// first line shorter than 20), the answer kind and the second value.
struct PriceDisplay {
  static constexpr std::size_t kMaxText = 40;
  static constexpr std::int32_t kNone = 0;
  static constexpr std::int32_t kArticle = 1;
  static constexpr std::int32_t kUnknownCode = 2;

  std::string text;
  std::int32_t kind = kNone;
  std::int32_t second = 3;
  bool operator==(const PriceDisplay&) const = default;
};

// The answer block of a host record's fields: code and name without their leading and
// trailing spaces, cut to 31 and 47 bytes; the price as it is.
PriceAnswer MakePriceAnswer(std::string_view code, std::string_view name, double price);

// The display of an answer: "NIE ZNALEZIONO KODU" and a line feed for an empty name;
// otherwise the name in code page 852 on the first line (20 characters at most) and
// "CENA", the price right-aligned in 14 characters and "zł" on the second.
PriceDisplay ComposeDisplay(const PriceAnswer& answer);

// The display of a request that got no answer: nothing to show.
PriceDisplay NoAnswerDisplay();

}  // namespace zelvane
