#pragma once

#include <cstdint>

namespace zelvane {

class CChrArr;
class CVeduvezid;

inline constexpr std::uint8_t kCarriageReturn = 13;
inline constexpr std::uint8_t kLineFeed = 10;

// Longest line a line-pushing device may send; more pending bytes without a CR are noise.
inline constexpr int kMaxLineLength = 128;

// Bytes a line-pushing device may have waiting. Each poll takes one line, so a device
// that sends lines faster than it is polled builds a backlog; once it reaches this
// size (one full read of the receive queue) it is dropped whole, which keeps the
// library's memory bounded.
inline constexpr int kMaxBacklog = 1024;

// Takes at most one complete line that a device pushed by itself, without waiting.
// Nothing is taken until a CR has arrived; then the bytes up to and including the
// first `terminator` (at most kMaxLineLength of them) are taken. Dropped instead: more
// than kMaxLineLength pending bytes without a CR, a backlog of kMaxBacklog bytes, and
// a line too long for its terminator (TE_OVERFLOW). A line whose terminator has not
// arrived yet stays pending (TE_TIMEOUT). Returns the session status; `line` holds the
// line with its terminator when the status is 0, and is empty otherwise.
int TakePushedLine(CVeduvezid& comm, int port, std::uint8_t terminator, CChrArr& line);

// The text of a line taken up to its LF: without the LF and a CR right before it.
// Lines are meant to end in CR LF, but a device set to end them in LF alone (or a CR
// lost on the line) must not cost the code or weight its last character.
CChrArr WithoutLineEnd(const CChrArr& line);

}  // namespace zelvane
