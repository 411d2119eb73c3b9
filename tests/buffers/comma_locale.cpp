#include "comma_locale.h"

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <string>

#ifndef _WIN32
#include <stdlib.h>

#include <filesystem>
#endif

namespace zelvane {
namespace {

bool SetCommaLocale(const char* name) {
  if (std::setlocale(LC_ALL, name) == nullptr) return false;
  if (std::strcmp(std::localeconv()->decimal_point, ",") == 0) return true;
  std::setlocale(LC_ALL, "C");
  return false;
}

// Linux names first, then the Windows ones.
constexpr const char* kInstalledLocales[] = {"pl_PL.UTF-8", "pl_PL.utf8", "pl_PL",
                                             "de_DE.UTF-8", "Polish",     "pl-PL"};

#ifndef _WIN32
// Test machines often have no locale but "C" installed. The Polish one is then
// compiled from the C library's locale sources (Debian's package `locales`) into a
// private folder, which setlocale reads through LOCPATH; no root rights are needed.
class CompiledPolishLocale {
 public:
  CompiledPolishLocale() {
    std::string folder =
        (std::filesystem::temp_directory_path() / "zelvane-locale-XXXXXX").string();
    if (mkdtemp(folder.data()) == nullptr) return;
    m_folder = folder;
    const std::string command =
        "localedef -c -i pl_PL -f UTF-8 '" + m_folder + "/pl_PL.UTF-8' >/dev/null 2>&1";
    // Whether localedef managed shows when the locale is set.
    static_cast<void>(std::system(command.c_str()));
  }

  ~CompiledPolishLocale() {
    std::error_code ignored;
    if (!m_folder.empty()) std::filesystem::remove_all(m_folder, ignored);
  }

  bool Enter() const {
    if (m_folder.empty()) return false;
    setenv("LOCPATH", m_folder.c_str(), 1);
    const bool entered = SetCommaLocale("pl_PL.UTF-8");
    unsetenv("LOCPATH");
    return entered;
  }

 private:
  std::string m_folder;
};
#endif

bool EnterCommaLocale() {
  for (const char* name : kInstalledLocales) {
    if (SetCommaLocale(name)) return true;
  }
#ifndef _WIN32
  static const CompiledPolishLocale compiled;
  return compiled.Enter();
#else
  return false;
#endif
}

}  // namespace

CommaLocale::CommaLocale() : m_entered(EnterCommaLocale()) {}

CommaLocale::~CommaLocale() {
  std::setlocale(LC_ALL, "C");
}

}  // namespace zelvane
