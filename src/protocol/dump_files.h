#pragma once

namespace zelvane {

class CChrArr;

// What a dump holds; the letter is part of the file name (QXS_3.dat).
enum class DumpKind : char {
  kReceivedBlock = 'R',    // a counted block just received
  kSent = 'S',             // a buffer about to be sent
  kTextLine = 'T',         // a text line from a scanner or a scale
  kTerminatedBlock = 'X',  // a block received up to its terminator
};

// Writes the buffer as the next dump of its kind in the temporary directory. Each kind
// keeps a ring of ten files, QX<kind>_0.dat to QX<kind>_9.dat, with one counter per
// kind shared by every protocol of the library. A dump that cannot be written safely
// is skipped silently and does not advance the ring.
void WriteDump(DumpKind kind, const CChrArr& buffer) noexcept;

}  // namespace zelvane
