#pragma once

#include <termios.h>

#include "platform/comm.h"

namespace zelvane::platform::comm {

// The translation between the line block of the interface and termios, free of any
// device, so that it can be checked on its own.

// The block that `settings` describe. DTR control is reported enabled and RTS enabled
// or handshake (with hardware flow), as termios does not keep the modem lines.
Dcb DcbOf(const termios& settings);

// Raw mode: no line editing, echo, signals or character translation; reads of a silent
// line return at once (VMIN and VTIME 0).
void MakeRaw(termios& settings);

// Applies speed, data bits, parity, stop bits and flow control of `dcb`; false, with
// `settings` untouched, for a code termios cannot express (a speed without a termios
// constant, mark or space parity where CMSPAR is missing, codes out of range).
bool ApplyLineCodes(const Dcb& dcb, termios& settings);

}  // namespace zelvane::platform::comm
