#include "devices/host_line.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>

namespace zelvane {
namespace {

constexpr unsigned char kHostByte = 0xA5;

struct TextField {
  const char* name;
  std::size_t offset;
  std::size_t size;
  void (*set)(void*, std::string_view);
  std::string (*get)(const void*);
};

// Two lines of an array, every byte the host's until the library writes.
using Lines = std::array<unsigned char, 2 * host_line::kSize>;

Lines HostLines() {
  Lines lines;
  lines.fill(kHostByte);
  return lines;
}

// Whether the bytes outside [first, first + count) of the second line are untouched.
bool OnlyTouched(const Lines& lines, std::size_t first, std::size_t count) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool inside = i >= host_line::kSize + first && i < host_line::kSize + first + count;
    if (!inside && lines[i] != kHostByte) return false;
  }
  return true;
}

TEST(HostLine, TextFieldsAreCutToTheirSizeAndTouchNothingElse) {
  for (const TextField& field : {TextField{"code", host_line::kCodeOffset, host_line::kCodeSize,
                                           &host_line::SetCode, &host_line::Code},
                                 TextField{"name", host_line::kNameOffset, host_line::kNameSize,
                                           &host_line::SetName, &host_line::Name}}) {
    SCOPED_TRACE(field.name);
    for (const std::string& text : {std::string("5901234123457"), std::string(field.size - 1, 'x'),
                                    std::string(field.size + 7, 'y'), std::string()}) {
      Lines lines = HostLines();
      void* second = host_line::At(lines.data(), 1);
      field.set(second, text);
      const std::string expected = text.substr(0, field.size - 1);
      EXPECT_EQ(field.get(second), expected);
      EXPECT_EQ(lines[host_line::kSize + field.offset + expected.size()], 0);
      EXPECT_TRUE(OnlyTouched(lines, field.offset, expected.size() + 1));
    }
    // A field the host filled without a NUL is read no further than its end.
    Lines unterminated = HostLines();
    std::memset(unterminated.data() + field.offset, 'z', field.size);
    EXPECT_EQ(field.get(unterminated.data()), std::string(field.size, 'z'));
  }
}

TEST(HostLine, NumbersSitAtTheirOffsetsUnaligned) {
  Lines lines = HostLines();
  void* second = host_line::At(lines.data(), 1);
  host_line::SetQuantity(second, -2.5);
  EXPECT_TRUE(OnlyTouched(lines, host_line::kQuantityOffset, sizeof(double)));
  host_line::SetPrice(second, 1234.56);
  EXPECT_EQ(host_line::Quantity(second), -2.5);
  EXPECT_EQ(host_line::Price(second), 1234.56);
  double price = 0;
  std::memcpy(&price, lines.data() + host_line::kSize + 180, sizeof price);
  EXPECT_EQ(price, 1234.56);
}

}  // namespace
}  // namespace zelvane
