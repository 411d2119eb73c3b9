#include "printing/session_printer_name.h"

namespace zelvane::printing {
namespace {

std::string Cut(std::string_view name) {
  return std::string(name.substr(0, kMaxPrinterNameLength));
}

}  // namespace

std::optional<std::size_t> SessionPrefixLength(std::string_view name) {
  for (const std::string_view marker : kSessionMarkers) {
    const std::size_t position = name.find(marker);
    if (position != std::string_view::npos) return position + marker.size();
  }
  return std::nullopt;
}

std::string PrinterNameInSession(std::string_view name, platform::PrinterSpooler& spooler) {
  const std::optional<std::size_t> prefixLength = SessionPrefixLength(name);
  if (!prefixLength) return Cut(name);
  const std::string_view prefix = name.substr(0, *prefixLength);
  const std::optional<std::vector<std::string>> printers = spooler.PrinterNames();
  if (!printers) return Cut(name);
  // The first printer of the same client wins, even over a later one that carries
  // exactly the stored name; such an exact match begins with the prefix as well.
  for (const std::string& printer : *printers) {
    if (std::string_view(printer).starts_with(prefix)) return Cut(printer);
  }
  return Cut(name);
}

}  // namespace zelvane::printing
