#include "devices/collectors/cipherlab_frames.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

#include "buffers/buffer_functions.h"
#include "buffers/field_format.h"
#include "protocol/line_reader.h"

#ifndef ZELVANE_CIPHERLAB_VERIFY_BCC
#error "the build sets ZELVANE_CIPHERLAB_VERIFY_BCC to 1 or 0 for this file"
#endif

namespace zelvane::cipherlab {
namespace {

constexpr int kMinFrameLength = 5;  // sequence byte, one text byte, two check bytes, CR
constexpr int kNameLength = 19;
constexpr int kCodeLength = 31;
constexpr double kHundredths = 100.0;

std::uint8_t CheckByte(std::uint32_t value) {
  const auto byte = static_cast<std::uint8_t>(value & 0xFF);
  return byte == kCarriageReturn ? kCheckByteForCr : byte;
}

// A fixed text field up to its NUL, never beyond the field.
template <std::size_t N>
CChrArr FieldText(const char (&field)[N]) {
  return CChrArr(std::string(field, std::find(field, field + N, '\0')));
}

void ClearRecord(CollectorRecord& record) {
  record = CollectorRecord{};
}

bool ParseFullRecord(CChrArr text, CollectorRecord& record) {
  const CChrArr name = SplitField(text);
  if (name.IsEmpty()) return false;
  ToFixedText(record.name, name, kNameLength);
  const CChrArr code = SplitField(text);
  if (code.IsEmpty()) return false;
  ToFixedText(record.code, code, kCodeLength);
  const CChrArr quantity = SplitField(text);
  if (quantity.IsEmpty()) return false;
  record.quantity = ToDouble(quantity);
  const CChrArr price = SplitField(text);
  if (!price.IsEmpty()) record.price = ToDouble(price) / kHundredths;
  return true;
}

bool ParseShortRecord(CChrArr text, CollectorRecord& record) {
  const CChrArr code = SplitField(text);
  if (code.IsEmpty()) return false;
  ToFixedText(record.code, code, kCodeLength);
  const CChrArr quantity = SplitField(text);
  record.quantity = quantity.IsEmpty() ? 0.0 : ToDouble(quantity);
  if (record.quantity == 0.0) record.quantity = 1.0;
  return true;
}

}  // namespace

CheckValue BuiltInCheckValue() {
  return ZELVANE_CIPHERLAB_VERIFY_BCC ? CheckValue::kVerified : CheckValue::kAccepted;
}

std::uint32_t ByteSum(const CChrArr& bytes) {
  std::uint32_t sum = 0;
  for (int i = 0; i < bytes.GetSize(); ++i) sum += bytes[i];
  return sum;
}

CChrArr SplitField(CChrArr& text) {
  const int comma = FindPos(",", text);
  if (comma == 0) return std::exchange(text, CChrArr());
  // SubStr takes a count of 0 as "to the end": a leading comma keeps the whole text.
  CChrArr field = SubStr(text, 1, comma - 1);
  text = comma < text.GetSize() ? SubStr(text, comma + 1, 0) : CChrArr();
  return field;
}

bool ParseRecord(const CChrArr& text, RecordLayout layout, CollectorRecord& record) {
  ClearRecord(record);
  if (text.IsEmpty()) return false;
  const bool parsed = layout == RecordLayout::kFull ? ParseFullRecord(text, record)
                                                    : ParseShortRecord(text, record);
  // Nothing of a text that failed half-way may pass for a record.
  if (!parsed) ClearRecord(record);
  return parsed;
}

bool CheckBytesMatch(std::uint8_t first, std::uint8_t second, const CChrArr& sequenceAndText) {
  const std::uint8_t receivedFirst = CheckByte(first);
  const std::uint8_t receivedSecond = CheckByte(second);
  const std::uint32_t withSequence = ByteSum(sequenceAndText);
  const std::uint32_t textOnly = sequenceAndText.IsEmpty() ? 0 : withSequence - sequenceAndText[0];
  for (const std::uint32_t sum : std::array{withSequence, textOnly}) {
    const std::uint8_t high = CheckByte(sum >> 8);
    const std::uint8_t low = CheckByte(sum);
    if ((receivedFirst == high && receivedSecond == low) ||
        (receivedFirst == low && receivedSecond == high)) {
      return true;
    }
  }
  return false;
}

FrameVerdict ParseFrame(const CChrArr& line, RecordLayout layout, CheckValue check,
                        CollectorRecord& record) {
  ClearRecord(record);
  FrameVerdict verdict;
  const int size = line.GetSize();
  if (size < kMinFrameLength || line[0] > kLastSequence || line[size - 1] != kCarriageReturn) {
    return verdict;
  }
  const CChrArr sequenceAndText = line.Left(size - 3);
  const std::uint8_t first = line[size - 3];
  const std::uint8_t second = line[size - 2];
  verdict.hasCheckValues = true;
  verdict.receivedCheck = second * 256u + first;
  verdict.ownCheck = ByteSum(sequenceAndText);
  verdict.sequence = line[0];
  if (check == CheckValue::kVerified && !CheckBytesMatch(first, second, sequenceAndText)) {
    return verdict;
  }
  verdict.accepted = ParseRecord(sequenceAndText.Mid(1), layout, record);
  return verdict;
}

CChrArr BuildFrame(const CollectorRecord& record) {
  CChrArr frame = ReplaceByte(FieldText(record.name), ',', '.');
  frame += ",";
  frame += FieldText(record.code);
  frame += ",";
  frame += TrimByte(FormatFixed(record.quantity, 5, 0), ' ');
  frame += ",0,";
  frame += TrimByte(FormatFixed(record.price, 11, 2), ' ');
  const std::uint32_t sum = ByteSum(frame);
  frame += CheckByte(sum >> 8);
  frame += CheckByte(sum);
  frame += kCarriageReturn;
  return frame;
}

}  // namespace zelvane::cipherlab
