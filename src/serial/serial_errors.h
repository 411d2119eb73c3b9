#pragma once

namespace zelvane {

// Status codes of the port sessions, reported by every device protocol as its error.
inline constexpr int TE_PARAM = -1;
inline constexpr int TE_NOPORT = -2;
inline constexpr int TE_NOTOPEN = -3;
inline constexpr int TE_CONFL = -4;
inline constexpr int TE_TIMEOUT = -5;
inline constexpr int TE_LINK = -6;
inline constexpr int TE_BREAK = -7;
inline constexpr int TE_OVERFLOW = -8;
inline constexpr int TE_ABORT = -9;
inline constexpr int TE_NOMEM = -10;

// The Polish text (code page 1250) of a status code: 0 and TE_PARAM..TE_NOMEM have
// their own, any other code gives "Nieokreślony błąd #" with nothing appended.
const char* SerialErrorText(int code);

}  // namespace zelvane
