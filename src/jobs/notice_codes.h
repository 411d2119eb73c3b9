#pragma once

namespace zelvane::notice {

// The codes of the status notices: the first field of the notice block, and the
// wParam of a posted window message. Code 3 is not used.
inline constexpr int kOpening = 1;         // the device is being opened
inline constexpr int kTitle = 2;           // title of a collector run
inline constexpr int kWaitText = 4;        // "please wait", right after the title
inline constexpr int kProgress = 5;        // progress of a transfer
inline constexpr int kOpenFailed = 6;      // the device did not open
inline constexpr int kRunFailed = 7;       // the run ended without success
inline constexpr int kPortFailure = 8;     // port or system failure
inline constexpr int kTransferStarts = 9;  // a transfer starts
inline constexpr int kRunSucceeded = 10;   // the run ended with success
inline constexpr int kClosed = 11;         // the device was closed

}  // namespace zelvane::notice
