#include "cp852_text.h"

#include <string_view>

#include "polish_text.h"

namespace zelvane::devsim {
namespace {

using tools::PolishLetter;

constexpr PolishLetter kPolishLetters[] = {
    {0xA4, u8"Ą"}, {0x8F, u8"Ć"}, {0xA8, u8"Ę"}, {0x9D, u8"Ł"}, {0xE3, u8"Ń"}, {0xE0, u8"Ó"},
    {0x97, u8"Ś"}, {0x8D, u8"Ź"}, {0xBD, u8"Ż"}, {0xA5, u8"ą"}, {0x86, u8"ć"}, {0xA9, u8"ę"},
    {0x88, u8"ł"}, {0xE4, u8"ń"}, {0xA2, u8"ó"}, {0x98, u8"ś"}, {0xAB, u8"ź"}, {0xBE, u8"ż"},
};

}  // namespace

std::string Cp852ToUtf8(std::string_view text) {
  return tools::PolishTextToUtf8(text, kPolishLetters);
}

}  // namespace zelvane::devsim
