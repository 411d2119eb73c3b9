#pragma once

#include <cstdint>
#include <optional>

#include "buffers/chr_arr.h"
#include "devices/reading_record.h"
#include "protocol/veduvezid_ecr.h"

namespace zelvane {

// Casio DT-700 terminals send their records at 19200,N,8,1 with CTS flow control and
// DTR and RTS handshaking, whatever the host asks for. The terminal leads: "?" ETX
// (answered ACK), "-" STX, then records of a length prefix and ":" code ":" quantity CR
// (casio_records.h), unacknowledged, and "!" ETX at the end (answered ACK). Link bytes
// are awaited 2 seconds, records kDeadlineSeconds.
//
// The error code: 0, a serial TE_* code, kShortWrite, or kFramingError for a length
// prefix, a record or its terminator that is not what the prefix announced.
class CCasioDT700 : public CVeduvezidECR {
 public:
  static constexpr int kSpeed = 19200;
  static constexpr int kLinkSeconds = 2;
  static constexpr int kLinkAttempts = 10;
  // A length prefix, record or terminator that is not what the prefix announced. It
  // has the short write's value (kShortWrite), as hosts know it from the terminal's
  // software.
  static constexpr int kFramingError = 9999;

  // Opens at 19200 baud with CTS flow and DTR and RTS handshaking; `speed` is not used.
  int Open(int port, int speed) override;
  using CVeduvezidECR::Open;

  // The whole download: every record goes to `sink` (valid during the call) after
  // a progress notice, whatever its quantity. 1 when the terminal ended with "!" ETX.
  int ReadRecords(const ReadingSink& sink);

 private:
  // One attempt to take "?" ETX and answer ACK. A "?" already in the input is taken
  // with what follows up to ETX if that is there now (else the input is dropped);
  // otherwise the input is dropped when it holds more than a link's two bytes, and two
  // bytes are awaited, a single byte ahead of a "?" passed over.
  bool WaitLink();
  // The terminal's two-byte marker ("?" ETX, "-" STX, "!" ETX) equals `received`.
  static bool IsMarker(const CChrArr& received, std::uint8_t first, std::uint8_t second);
  // The record that the two-byte length prefix announces; nothing, with
  // kFramingError, when what came is not that record whole.
  std::optional<ReadingRecord> TakeRecord(const CChrArr& prefix);
};

}  // namespace zelvane
