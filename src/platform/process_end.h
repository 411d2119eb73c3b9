#pragma once

namespace zelvane::platform {

// Whether the library's objects are being destroyed because the process ends. On
// Windows the system has then already ended every other thread, without letting any
// of them finish, and runs the destructors under its loader lock: a job's worker or the
// price-checker service's threads are gone, and a lock they held stays held, so
// nothing may be waited for. Always false on POSIX, where exit runs the destructors
// while every thread still runs, and the workers must be stopped first.
bool ProcessIsEnding();

}  // namespace zelvane::platform
