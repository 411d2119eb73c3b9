#pragma once

#include "devices/reading_record.h"
#include "protocol/veduvezid_ecr.h"

namespace zelvane {

class CChrArr;

// Radwag scales send their weight as a text line ending in CR LF, by themselves or in
// answer to the request "D" CR LF. The port runs at 9600,N,8,1, the base's open.
// Every operation leaves its outcome in the error code: 0, a serial TE_* code, or
// kShortWrite.
class CRadwag : public CVeduvezidECR {
 public:
  using CVeduvezidECR::SendFrame;

  // Takes at most one line the scale pushed, without waiting; `line` receives it less
  // its CR LF, or stays empty. Always 1.
  int ReadLine(CChrArr& line);
  // As ReadLine, but only a line of 10 or more bytes (CR LF included) counts: 1 when
  // one was taken, 0 otherwise.
  int ReadAnswer(CChrArr& line);

  // Asks the scale for one reading, which must be in the port as soon as the request
  // has left it, and hands a positive stable weight to `sink` as a ReadingRecord
  // with an empty text (valid only during the call). 1 when a weight was delivered.
  int WeighOnce(const ReadingSink& sink);

 private:
  // The line with its CR LF dumped (kind T) and removed, when one of at least
  // `minimumLength` bytes was taken.
  bool TakeTextLine(CChrArr& line, int minimumLength);
};

}  // namespace zelvane
