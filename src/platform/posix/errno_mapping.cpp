#include "platform/posix/errno_mapping.h"

#include <cerrno>

#include "platform/comm.h"

namespace zelvane::platform::comm {

namespace {

thread_local std::uint32_t t_lastError = kErrorSuccess;

}  // namespace

bool Fail(std::uint32_t code) {
  t_lastError = code;
  return false;
}

std::uint32_t SystemErrorOf(int error) {
  switch (error) {
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR: return kErrorFileNotFound;
    // The user may not open the device: on Linux not a sign of another user.
    case EACCES:
    case EPERM: return kErrorNoPermission;
    case EBUSY:
    case EWOULDBLOCK: return kErrorAccessDenied;
    case EBADF: return kErrorInvalidHandle;
    case ENOMEM: return kErrorNotEnoughMemory;
    case EINVAL: return kErrorInvalidParameter;
    case ENOTTY: return kErrorInvalidFunction;
    case EIO: return kErrorDeviceNotConnected;
    case ETIMEDOUT: return kErrorTimeout;
    default: return kErrorGenFailure;
  }
}

bool FailErrno() {
  return Fail(SystemErrorOf(errno));
}

std::uint32_t LastError() {
  return t_lastError;
}

}  // namespace zelvane::platform::comm
