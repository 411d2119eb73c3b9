#include "buffers/code_pages.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>

#include "buffers/cp1250_literal.h"

namespace zelvane {
namespace {

constexpr std::size_t kPolishLetterCount = 18;

// Every table lists the letters in the same order: Ą Ć Ę Ł Ń Ó Ś Ź Ż ą ć ę ł ń ó ś ź ż.
constexpr Cp1250Literal kWindows1250Text(u8"ĄĆĘŁŃÓŚŹŻąćęłńóśźż");
constexpr std::string_view kWindows1250(kWindows1250Text.c_str(), kWindows1250Text.size());
constexpr std::string_view kIbm852 =
    "\xA4\x8F\xA8\x9D\xE3\xE0\x97\x8D\xBD\xA5\x86\xA9\x88\xE4\xA2\x98\xAB\xBE";
constexpr std::string_view kMazovia =
    "\x8F\x95\x90\x9C\xA5\xA3\x98\xA0\xA1\x86\x8D\x91\x92\xA4\xA2\x9E\xA6\xA7";
constexpr std::string_view kPlainAscii = "ACELNOSZZacelnoszz";

static_assert(kWindows1250.size() == kPolishLetterCount && kIbm852.size() == kPolishLetterCount &&
              kMazovia.size() == kPolishLetterCount && kPlainAscii.size() == kPolishLetterCount);

// One destination byte for every source byte, so that a conversion is a single table
// look-up per byte and can never chain.
class ByteMap {
 public:
  constexpr ByteMap(std::string_view from, std::string_view to) {
    for (std::size_t byte = 0; byte < m_to.size(); ++byte) {
      m_to[byte] = static_cast<std::uint8_t>(byte);
    }
    // Filled from the last letter to the first, so that the first match wins.
    for (std::size_t letter = from.size(); letter-- > 0;) {
      m_to[static_cast<std::uint8_t>(from[letter])] = static_cast<std::uint8_t>(to[letter]);
    }
  }

  CChrArr Apply(CChrArr text) const {
    std::uint8_t* const bytes = text.GetData();
    for (int index = 0; index < text.GetSize(); ++index) bytes[index] = m_to[bytes[index]];
    return text;
  }

 private:
  std::array<std::uint8_t, 256> m_to{};
};

constexpr ByteMap kWindows1250ToIbm852(kWindows1250, kIbm852);
constexpr ByteMap kWindows1250ToMazovia(kWindows1250, kMazovia);
constexpr ByteMap kWindows1250ToPlainAscii(kWindows1250, kPlainAscii);
constexpr ByteMap kIbm852ToWindows1250(kIbm852, kWindows1250);
constexpr ByteMap kMazoviaToWindows1250(kMazovia, kWindows1250);

}  // namespace

CChrArr ToCp852(CChrArr text) {
  return kWindows1250ToIbm852.Apply(std::move(text));
}

CChrArr ToMazovia(CChrArr text) {
  return kWindows1250ToMazovia.Apply(std::move(text));
}

CChrArr ToAsciiFold(CChrArr text) {
  return kWindows1250ToPlainAscii.Apply(std::move(text));
}

CChrArr FromCp852(CChrArr text) {
  return kIbm852ToWindows1250.Apply(std::move(text));
}

CChrArr FromMazovia(CChrArr text) {
  return kMazoviaToWindows1250.Apply(std::move(text));
}

}  // namespace zelvane
