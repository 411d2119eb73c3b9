#pragma once

namespace zelvane {

// Runs an export body; anything thrown becomes the export's failure result, as no
// exception may reach the host.
template <typename Result, typename Body>
Result Guarded(Result onFailure, Body body) noexcept {
  try {
    return body();
  } catch (...) {
    return onFailure;
  }
}

}  // namespace zelvane
