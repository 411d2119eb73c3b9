#pragma once

#include <cstdint>
#include <type_traits>

#include "buffers/chr_arr.h"

// The bytes of the CipherLab terminals' line protocol, as functions of bytes alone.
// Every message ends in CR: the commands "READ" (the terminal sends its records) and
// "CIPHER" (it takes records), the answers "ACK" and "NAK", and the end marker "OVER".
// A record frame from the terminal is a sequence byte 0..9, the record text, two check
// bytes and CR; a frame to the terminal is the record text, two check bytes and CR.
namespace zelvane::cipherlab {

inline constexpr const char* kReadCommand = "READ\r";
inline constexpr const char* kCipherCommand = "CIPHER\r";
inline constexpr const char* kAck = "ACK\r";
inline constexpr const char* kNak = "NAK\r";
inline constexpr const char* kOver = "OVER\r";
inline constexpr const char* kUploadEnd = "OVER\rOVER\r";
inline constexpr int kReplyLength = 4;  // "ACK" or "NAK" with CR
inline constexpr int kOverLength = 5;
// The longest frame taken while looking for its CR.
inline constexpr int kMaxFrameLength = 255;
// The highest sequence byte a terminal sends.
inline constexpr std::uint8_t kLastSequence = 9;
// A check byte equal to CR would end the frame early: terminals send 0x0E instead.
inline constexpr std::uint8_t kCheckByteForCr = 0x0E;

// One collector line between the protocol and its job. Plain C layout: the job's
// adapters fill it field by field.
struct CollectorRecord {
  char text[32];  // cleared by every parse, not otherwise used
  char code[32];  // at most 31 characters
  char name[20];  // at most 19 characters
  double price;
  double quantity;
};
static_assert(std::is_standard_layout_v<CollectorRecord> && std::is_trivial_v<CollectorRecord>);

// The fields a terminal sends in each record.
enum class RecordLayout {
  kFull,   // name, code, quantity, price in hundredths
  kShort,  // code, quantity (1 when absent or 0)
};

// Whether a received frame's check value must match its bytes.
enum class CheckValue {
  kVerified,  // a frame whose check bytes match no sum of its bytes is answered NAK
  kAccepted,  // the check bytes are received, logged and ignored
};

// The check this build applies (CMake option ZELVANE_CIPHERLAB_VERIFY_BCC).
CheckValue BuiltInCheckValue();

// The arithmetic sum of the bytes, each 0..255.
std::uint32_t ByteSum(const CChrArr& bytes);

// The first comma-separated field of `text`, which loses it and its comma. The
// terminals' own rule, kept byte for byte: a text that starts with a comma gives the
// whole text, comma included, as its field, and loses only up to that comma.
CChrArr SplitField(CChrArr& text);

// Fills `record` from a record text in the layout; false, with the record cleared,
// for a text that lacks a field the layout needs.
bool ParseRecord(const CChrArr& text, RecordLayout layout, CollectorRecord& record);

// What a received frame held. The check values are those the original terminal
// software showed: the pair read low byte first, and the sum of the sequence byte and
// the text.
struct FrameVerdict {
  bool accepted = false;
  std::uint8_t sequence = 0;
  bool hasCheckValues = false;  // the frame was long enough to carry them
  std::uint32_t receivedCheck = 0;
  std::uint32_t ownCheck = 0;
};

// Whether the two check bytes as received (`first`, then `second`) belong to
// `sequenceAndText`. Terminals differ in what they sum and in which byte they send
// first, so both sums (with and without the sequence byte) in both byte orders are
// accepted, each byte compared after the CR substitution.
bool CheckBytesMatch(std::uint8_t first, std::uint8_t second, const CChrArr& sequenceAndText);

// Judges one line received up to its CR: at least 5 bytes, a sequence byte of at most
// 9, a final CR, check bytes that match (with CheckValue::kVerified) and a record text
// that parses in the layout. `record` holds the record of an accepted frame.
FrameVerdict ParseFrame(const CChrArr& line, RecordLayout layout, CheckValue check,
                        CollectorRecord& record);

// The frame that loads a record into a terminal: name (commas made periods), code,
// quantity without decimals, the digit 0, price with two decimals, separated by commas;
// then the sum of those bytes, high byte first, each CR byte sent as 0x0E; then CR.
CChrArr BuildFrame(const CollectorRecord& record);

}  // namespace zelvane::cipherlab
