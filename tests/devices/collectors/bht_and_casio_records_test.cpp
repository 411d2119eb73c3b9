#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/casio_records.h"

namespace zelvane {
namespace {

CChrArr Bytes(const std::string& text) {
  CChrArr bytes;
  for (const char c : text) bytes += static_cast<std::uint8_t>(c);
  return bytes;
}

std::string Describe(const std::optional<ReadingRecord>& record) {
  if (!record) return "refused";
  return std::string(record->text) + "|" + std::to_string(record->quantity);
}

TEST(BhtBlocks, CheckByteIsTheExclusiveOrAfterTheLeadingControl) {
  EXPECT_EQ(BhtBlockCheck(Bytes("\x02"
                                "00001ABC\x03")),
            0x72);
  EXPECT_EQ(BhtBlockCheck(Bytes("\x01"
                                "ABC\x03")),
            'A' ^ 'B' ^ 'C' ^ 0x03);
}

TEST(BhtBlocks, HeaderGivesTheWholeCountOfA25ByteBlock) {
  const auto header = [](const std::string& count, int padding = 0) {
    // A digit right after the count must not be read as part of it.
    return "\x01" + std::string(12, 'h') + count + "7" + std::string(5 + padding, 'x') + "\x03";
  };
  const struct {
    std::string block;
    std::optional<int> count;
  } cases[] = {
      {header("00003"), 3},
      {header("00000"), 0},
      {header("  1.9"), 1},
      {header("99999"), 99999},
      {header("-0001"), {}},
      {header("00003", 1), {}},
      {"\x02" + header("00003").substr(1), {}},
      {header("00003").substr(0, 24) + "x", {}},
  };
  for (const auto& c : cases) EXPECT_EQ(BhtRecordCount(Bytes(c.block)), c.count) << c.block;
}

TEST(BhtBlocks, RecordTakesTheTrimmedCodeAndQuantityOfA23ByteBlock) {
  const struct {
    std::string block;
    std::string record;
  } cases[] = {
      {"\x02  12345678901234  1.5\x03", "1234567890123|1.500000"},
      {"\x02"
       "ABC             "
       "12345\x03",
       "ABC|12345.000000"},
      {"\x02"
       "ABC             "
       "  12 \x03",
       "ABC|12.000000"},
      {"\x02"
       "ABC             "
       "    x\x03",
       "ABC|0.000000"},
      {"\x02"
       "ABC             "
       "  12  \x03",
       "refused"},
      {"\x01"
       "ABC             "
       "  12 \x03",
       "refused"},
      {"\x02"
       "ABC             "
       "  12 \x04",
       "refused"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(BhtRecord(Bytes(c.block))), c.record) << c.block;
}

TEST(CasioRecords, LengthPrefixOfOneOrTwoDigits) {
  const struct {
    char first, second;
    std::optional<int> remaining;
  } cases[] = {
      {'1', '0', 10}, {'9', '9', 99}, {'0', '5', 5},  {'0', '4', {}}, {'5', ':', 4},
      {'4', ':', 3},  {'3', ':', {}}, {'x', ':', {}}, {'-', '7', {}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CasioRemainingLength(static_cast<std::uint8_t>(c.first),
                                   static_cast<std::uint8_t>(c.second)),
              c.remaining)
        << c.first << c.second;
  }
}

TEST(CasioRecords, RecordIsCountBytesEndingInCrSplitAtTheFirstColon) {
  const struct {
    std::string rest;
    int count;
    std::string record;
  } cases[] = {
      {":ABC:12.5\r", 10, "ABC|12.500000"},
      {"A:1\r", 4, "A|1.000000"},
      {"ABC:\r", 5, "refused"},
      {":A:\r", 4, "refused"},
      {"::7\r", 4, "|7.000000"},
      {"ABC\r", 4, "refused"},
      {":ABC:12.5\r", 9, "refused"},
      {":ABC:12.5x", 10, "refused"},
      {":12345678901234:2\r", 18, "1234567890123|2.000000"},
  };
  for (const auto& c : cases) {
    const std::optional<CChrArr> text = CasioRecordText(Bytes(c.rest), c.count);
    EXPECT_EQ(Describe(text ? CasioRecord(*text) : std::nullopt), c.record) << c.rest;
  }
}

}  // namespace
}  // namespace zelvane
