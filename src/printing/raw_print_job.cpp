#include "printing/raw_print_job.h"

#include <memory>

namespace zelvane::printing {

bool PrintRaw(platform::PrinterSpooler& spooler, const std::string& printerName, const void* data,
              std::uint32_t count) {
  if (printerName.empty()) return false;
  // Closed when this goes out of scope, after whatever stage ended the job.
  const std::unique_ptr<platform::SpooledPrinter> printer = spooler.OpenPrinter(printerName);
  if (!printer) return false;
  if (!printer->StartDocument(kRawDocumentName)) return false;
  if (!printer->StartPage()) {
    printer->EndDocument();
    return false;
  }
  std::uint32_t written = 0;
  if (!printer->Write(data, count, written)) {
    printer->EndPage();
    printer->EndDocument();
    return false;
  }
  if (!printer->EndPage()) {
    printer->EndDocument();
    return false;
  }
  if (!printer->EndDocument()) return false;
  return written == count;
}

}  // namespace zelvane::printing
