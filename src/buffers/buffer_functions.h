#pragma once

#include <string>

#include "buffers/chr_arr.h"

namespace zelvane {

// Positions here are 1-based, as in the device record formats.

// From the `position`-th byte: `count` bytes when above 0, else up to the end. Empty
// when the position is 0 or beyond the buffer.
CChrArr SubStr(const CChrArr& text, int position, int count);

// 1-based position in `haystack` of the needle's first byte (the rest of the needle
// is not looked at), or 0 when it does not occur or the needle is empty.
int FindPos(const CChrArr& needle, const CChrArr& haystack);

// Exactly the buffer's bytes, embedded NULs included.
std::string ToCString(const CChrArr& bytes);

// Fixed-width text fields of caller records: both write exactly n+1 bytes into
// `destination` - at most n bytes of the source, zeros up to n, a terminating 0 at
// index n. A longer source is cut to n bytes. A negative n writes nothing.
void ToFixedText(char* destination, const CChrArr& bytes, int n);
void CopyText(char* destination, const char* text, int n);  // a null text copies nothing

// Shows the text in a modal message box and waits until it is closed; returns 0.
int ShowMessage(const char* text);
int ShowMessage(const CChrArr& text);

}  // namespace zelvane
