#pragma once

namespace zelvane::testing {

// Holds back what the library sends on a PtyDevice's port until Release, as a line
// whose far end is not ready: the library's writes stay queued and its waits for the
// output to drain go on. The device can meanwhile prepare its answer, so that a
// request-and-read-at-once exchange finds it in the port. Needs the pseudo-terminal
// itself, so only where the device is one (Linux).
class HeldOutput {
 public:
  static bool Available();

  // Holds the output of the port that PtyDevice maps to `port`.
  explicit HeldOutput(int port);
  // Releases it.
  ~HeldOutput();
  HeldOutput(const HeldOutput&) = delete;
  HeldOutput& operator=(const HeldOutput&) = delete;

  bool IsHolding() const { return m_fd >= 0; }
  void Release();

 private:
  int m_fd = -1;
};

}  // namespace zelvane::testing
