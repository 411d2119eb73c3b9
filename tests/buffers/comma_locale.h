#pragma once

namespace zelvane {

// Puts the whole C locale of the process into one whose decimal separator is a comma,
// as a host running with Polish regional settings does, and back to "C" at the end
// of the scope. Entered() is false when no such locale can be had on this machine.
class CommaLocale {
 public:
  CommaLocale();
  ~CommaLocale();
  CommaLocale(const CommaLocale&) = delete;
  CommaLocale& operator=(const CommaLocale&) = delete;

  bool Entered() const { return m_entered; }

 private:
  bool m_entered;
};

}  // namespace zelvane
