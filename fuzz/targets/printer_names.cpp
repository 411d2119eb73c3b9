// Printer names of remote-desktop sessions: the first line is the stored name, the
// other lines the printers the spooler lists.
#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "printing/session_printer_name.h"

namespace {

class ListedPrinters : public zelvane::platform::PrinterSpooler {
 public:
  explicit ListedPrinters(std::vector<std::string> names) : m_names(std::move(names)) {}
  std::optional<std::vector<std::string>> PrinterNames() override {
    asked = true;
    return m_names;
  }
  std::unique_ptr<zelvane::platform::SpooledPrinter> OpenPrinter(const std::string&) override {
    return nullptr;
  }
  bool asked = false;

 private:
  std::vector<std::string> m_names;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvane::printing;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  for (std::size_t start = 0; start <= input.size();) {
    const std::size_t end = std::min(input.find('\n', start), input.size());
    lines.emplace_back(input.substr(start, end - start));
    start = end + 1;
  }
  const std::string name = lines.front();
  lines.erase(lines.begin());
  ListedPrinters spooler(lines);
  const std::string resolved = PrinterNameInSession(name, spooler);
  FUZZ_CHECK(resolved.size() <= kMaxPrinterNameLength);
  const std::optional<std::size_t> prefix = SessionPrefixLength(name);
  FUZZ_CHECK(spooler.asked == prefix.has_value());
  if (resolved != name.substr(0, kMaxPrinterNameLength)) {
    // Another client's printer never: the same prefix, as far as the cut keeps it.
    FUZZ_CHECK(prefix.has_value());
    const std::size_t kept = std::min(*prefix, kMaxPrinterNameLength);
    FUZZ_CHECK(resolved.compare(0, kept, name, 0, kept) == 0);
  }
  return 0;
}
