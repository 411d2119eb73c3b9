#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelvane::platform {

// A printer opened for one raw job. Each stage answers whether the spooler took it;
// whoever drives the job ends the stages it started, in reverse order, whatever
// happens. Destroying the object closes the printer (ClosePrinter).
class SpooledPrinter {
 public:
  SpooledPrinter() = default;
  virtual ~SpooledPrinter() = default;
  SpooledPrinter(const SpooledPrinter&) = delete;
  SpooledPrinter& operator=(const SpooledPrinter&) = delete;

  // A document of data type RAW: the bytes go to the printer as they are.
  virtual bool StartDocument(const char* documentName) = 0;
  virtual bool StartPage() = 0;
  // One write of `count` bytes; `written` receives how many the spooler accepted.
  virtual bool Write(const void* data, std::uint32_t count, std::uint32_t& written) = 0;
  virtual bool EndPage() = 0;
  virtual bool EndDocument() = 0;
};

// The system's print spooler: winspool on Windows; elsewhere the CUPS server that
// libcups is pointed at (CUPS_SERVER, the client configuration). Every call returns
// within a bounded time, also when no server answers.
class PrinterSpooler {
 public:
  PrinterSpooler() = default;
  virtual ~PrinterSpooler() = default;
  PrinterSpooler(const PrinterSpooler&) = delete;
  PrinterSpooler& operator=(const PrinterSpooler&) = delete;

  // The names of the local and connected printers, in the spooler's order; nothing
  // when they cannot be listed.
  virtual std::optional<std::vector<std::string>> PrinterNames() = 0;

  // Opens the named printer with its default settings; null when it cannot be opened.
  virtual std::unique_ptr<SpooledPrinter> OpenPrinter(const std::string& name) = 0;
};

PrinterSpooler& SystemSpooler();

}  // namespace zelvane::platform
