#pragma once

#include <string>

namespace zelvane::platform::comm {

// The UUCP lock file that Linux serial programs (minicom, picocom, ModemManager, ...)
// take for a terminal device: "LCK..<device>" in the lock folder, holding the owner's
// pid as ten characters and a line feed. The folder is /var/lock, or the folder named
// by ZELVANE_LOCK_DIR. A file whose pid names no process any more is stale and taken
// over.
class UucpLock {
 public:
  enum class Outcome { kTaken, kHeldByOther, kUnavailable };

  UucpLock() = default;
  UucpLock(const UucpLock&) = delete;
  UucpLock& operator=(const UucpLock&) = delete;
  // Gives the lock back.
  ~UucpLock() { Release(); }

  // Takes the lock of the device at `devicePath` (links resolved, so every name of
  // one device shares its lock). kHeldByOther when a live process other than this one
  // holds it; kUnavailable when no lock could be made (no lock folder, or one this
  // user may not write): nobody else holds one then either.
  Outcome Take(const std::string& devicePath);

  // Removes the file if it is still ours.
  void Release();

 private:
  std::string m_path;  // the lock file while it is ours
};

}  // namespace zelvane::platform::comm
