#pragma once

#include <cstdint>

namespace zelvane::platform::comm {

// The POSIX backend reports its failures as the Win32 system errors of the interface
// (comm.h), so the port engine sees the same codes on every platform. Each of these
// leaves its code for LastError() on this thread and returns false.
bool Fail(std::uint32_t code);
// Fail with the code of errno.
bool FailErrno();

// The system error that an errno value stands for.
std::uint32_t SystemErrorOf(int error);

}  // namespace zelvane::platform::comm
