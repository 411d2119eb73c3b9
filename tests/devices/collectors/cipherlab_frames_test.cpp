// The CipherLab frames on bytes alone: fields, record layouts, received frames and
// their check values, and the frames that load records.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "buffers/buffer_test_support.h"
#include "devices/collectors/cipherlab_frames.h"

namespace zelvane::cipherlab {
namespace {

CChrArr Bytes(const std::string& text) {
  CChrArr bytes;
  for (const char c : text) bytes += static_cast<std::uint8_t>(c);
  return bytes;
}

std::string Hex(const CChrArr& bytes) {
  std::string text;
  char digits[4];
  for (int i = 0; i < bytes.GetSize(); ++i) {
    std::snprintf(digits, sizeof digits, "%02X ", bytes[i]);
    text += digits;
  }
  return text;
}

TEST(CipherLabFields, SplitFieldTakesTheTextUpToTheFirstComma) {
  struct Case {
    const char* text;
    const char* field;
    const char* rest;
  };
  const Case cases[] = {
      {"a,b,c", "a", "b,c"}, {"abc", "abc", ""},      {"a,", "a", ""},
      {"a,,b", "a", ",b"},   {",a,b", ",a,b", "a,b"}, {",", ",", ""},
  };
  for (const Case& c : cases) {
    CChrArr text(c.text);
    EXPECT_EQ(Contents(SplitField(text)), c.field) << c.text;
    EXPECT_EQ(Contents(text), c.rest) << c.text;
  }
}

TEST(CipherLabRecords, LayoutsTakeTheirFieldsOrFail) {
  struct Case {
    RecordLayout layout;
    std::string text;
    bool parsed;
    std::string name;
    std::string code;
    double quantity;
    double price;
  };
  constexpr RecordLayout kFull = RecordLayout::kFull;
  constexpr RecordLayout kShort = RecordLayout::kShort;
  const Case cases[] = {
      {kFull, "Mleko,5901234,5,1250", true, "Mleko", "5901234", 5.0, 12.5},
      {kFull, "Mleko,5901234,5", true, "Mleko", "5901234", 5.0, 0.0},
      {kFull, "Mleko,5901234,2.5,99,extra", true, "Mleko", "5901234", 2.5, 0.99},
      {kFull, "Nazwa o dwudziestu pieciu,C,1,1", true, "Nazwa o dwudziestu ", "C", 1.0, 0.01},
      {kFull, ",123,4,100", true, ",123,4,100", "123", 4.0, 1.0},
      {kFull, "Mleko,5901234", false, "", "", 0, 0},
      // An empty field after the first is taken with the rest of the text.
      {kFull, "Mleko,,5,100", true, "Mleko", ",5,100", 5.0, 1.0},
      {kFull, "Mleko,", false, "", "", 0, 0},
      {kFull, "", false, "", "", 0, 0},
      {kShort, "5901234", true, "", "5901234", 1.0, 0.0},
      {kShort, "5901234,0", true, "", "5901234", 1.0, 0.0},
      {kShort, "5901234,3.5,x", true, "", "5901234", 3.5, 0.0},
      {kShort, std::string(40, '7'), true, "", std::string(31, '7'), 1.0, 0.0},
      {kShort, "", false, "", "", 0, 0},
  };
  for (const Case& c : cases) {
    CollectorRecord record;
    std::memset(&record, 0x55, sizeof record);
    EXPECT_EQ(ParseRecord(CChrArr(c.text), c.layout, record), c.parsed) << c.text;
    EXPECT_EQ(record.name, c.name) << c.text;
    EXPECT_EQ(record.code, c.code) << c.text;
    EXPECT_EQ(record.quantity, c.quantity) << c.text;
    EXPECT_EQ(record.price, c.price) << c.text;
    EXPECT_EQ(record.text[0], '\0') << c.text;
  }
}

// How a terminal may put the two check bytes after its record text.
enum class Check { kLowFirstWithSequence, kHighFirstTextOnly, kLowFirstTextOnly, kWrong };

std::string Frame(std::uint8_t sequence, const std::string& text, Check check) {
  unsigned sum = 0;
  for (const char c : text) sum += static_cast<std::uint8_t>(c);
  if (check == Check::kLowFirstWithSequence) sum += sequence;
  const auto substitute = [](unsigned byte) {
    return static_cast<char>((byte & 0xFF) == 0x0D ? 0x0E : byte & 0xFF);
  };
  const char high = substitute(sum >> 8);
  const char low = substitute(sum);
  std::string pair =
      check == Check::kHighFirstTextOnly ? std::string{high, low} : std::string{low, high};
  if (check == Check::kWrong) pair[0] = static_cast<char>(pair[0] ^ 0x01);
  return static_cast<char>(sequence) + text + pair + "\r";
}

TEST(CipherLabFrames, FramesAreAcceptedOnlyWhenWholeAndChecked) {
  struct Case {
    std::string line;
    CheckValue check;
    bool accepted;
  };
  const std::string text = "Ser,590,2,350";
  const CheckValue kVerified = CheckValue::kVerified;
  const Case cases[] = {
      {Frame(3, text, Check::kLowFirstWithSequence), kVerified, true},
      {Frame(3, text, Check::kHighFirstTextOnly), kVerified, true},
      {Frame(9, text, Check::kLowFirstTextOnly), kVerified, true},
      {Frame(0, text, Check::kWrong), kVerified, false},
      {Frame(0, text, Check::kWrong), CheckValue::kAccepted, true},
      {Frame(10, text, Check::kHighFirstTextOnly), kVerified, false},
      {Frame('1', text, Check::kHighFirstTextOnly), CheckValue::kAccepted, false},
      {"\x01"
       "AB\r",
       CheckValue::kAccepted, false},
      {Frame(1, text, Check::kHighFirstTextOnly).substr(0, text.size() + 3), kVerified, false},
      {Frame(1, "Ser,590", Check::kHighFirstTextOnly), kVerified, false},
      // "A]X,1,1,1" sums to 0x20D: its low byte goes out as 0x0E, and a received CR
      // byte counts as 0x0E too.
      {Frame(1, "A]X,1,1,1", Check::kHighFirstTextOnly), kVerified, true},
      {std::string("\x01"
                   "A]X,1,1,1\x02\x0E\r",
                   13),
       kVerified, true},
      {std::string("\x01"
                   "A]X,1,1,1\x02\x0D\r",
                   13),
       kVerified, true},
      {std::string("\x01"
                   "A]X,1,1,1\x02\x0C\r",
                   13),
       kVerified, false},
  };
  for (const Case& c : cases) {
    CollectorRecord record{};
    const FrameVerdict verdict = ParseFrame(Bytes(c.line), RecordLayout::kFull, c.check, record);
    EXPECT_EQ(verdict.accepted, c.accepted) << Hex(Bytes(c.line));
    if (verdict.accepted) {
      EXPECT_EQ(verdict.sequence, static_cast<std::uint8_t>(c.line[0]));
    } else {
      EXPECT_EQ(record.code[0], '\0') << Hex(Bytes(c.line));
    }
  }
}

TEST(CipherLabFrames, CheckValuesAreReportedAsTheOriginalSoftwareReadThem) {
  CollectorRecord record{};
  // Sequence 2 and "N,C,1" sum to 2 + 0x4E + 0x2C + 0x43 + 0x2C + 0x31 = 0x11C.
  const std::string line = std::string("\x02N,C,1") + "\x34\x12\r";
  const FrameVerdict verdict =
      ParseFrame(Bytes(line), RecordLayout::kFull, CheckValue::kAccepted, record);
  EXPECT_TRUE(verdict.hasCheckValues);
  EXPECT_EQ(verdict.receivedCheck, 0x1234u);
  EXPECT_EQ(verdict.ownCheck, 0x11Cu);
  EXPECT_STREQ(record.name, "N");
  EXPECT_STREQ(record.code, "C");
  EXPECT_FALSE(ParseFrame(Bytes("\x02N\r"), RecordLayout::kFull, CheckValue::kAccepted, record)
                   .hasCheckValues);
  // The shortest frame: a sequence byte, a one-byte short record, the check, CR.
  EXPECT_TRUE(ParseFrame(Bytes(std::string("\x02X\x00\x5A\r", 5)), RecordLayout::kShort,
                         CheckValue::kVerified, record)
                  .accepted);
  EXPECT_STREQ(record.code, "X");
}

TEST(CipherLabFrames, LoadFrameIsTextSumHighByteFirstAndCr) {
  struct Case {
    const char* name;
    const char* code;
    double quantity;
    double price;
    std::string expected;
  };
  const Case cases[] = {
      {"A,B", "123", 2, 4.5, "A.B,123,2,0,4.50\x03\x20\r"},
      // Sums whose low byte, then whose high byte, is CR.
      {"A]", "123", 2, 4.5, "A],123,2,0,4.50\x03\x0E\r"},
      {"zzzzzzzzzzzzzzzzzzz", "yyyyy", 1, 1, "zzzzzzzzzzzzzzzzzzz,yyyyy,1,0,1.00\x0E\x3B\r"},
      {"", "9,9", 12345678, 7.999, ",9,9,12345678,0,8.00\x03\xE8\r"},
  };
  for (const Case& c : cases) {
    CollectorRecord record{};
    std::strcpy(record.name, c.name);
    std::strcpy(record.code, c.code);
    record.quantity = c.quantity;
    record.price = c.price;
    EXPECT_EQ(Hex(BuildFrame(record)), Hex(Bytes(c.expected))) << c.name;
  }
}

}  // namespace
}  // namespace zelvane::cipherlab
