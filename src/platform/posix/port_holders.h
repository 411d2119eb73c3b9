#pragma once

namespace zelvane::platform::comm {

// Whether a process other than this one has the terminal behind `fd` open. Programs
// and services often open a serial port without any lock, and would have their line
// settings rewritten under them: every descriptor of every process that leads to the
// same device counts, found in /proc as fuser finds them. Processes whose descriptors
// this user may not read are passed over.
bool HeldByAnotherProcess(int fd);

}  // namespace zelvane::platform::comm
