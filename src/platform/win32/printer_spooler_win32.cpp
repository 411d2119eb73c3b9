// The spooler on Windows: winspool, local and connected printers.
#include <windows.h>
#include <winspool.h>

#include <new>

#include "platform/printer_spooler.h"

namespace zelvane::platform {
namespace {

class WinspoolPrinter : public SpooledPrinter {
 public:
  explicit WinspoolPrinter(HANDLE handle) : m_handle(handle) {}
  ~WinspoolPrinter() override { ::ClosePrinter(m_handle); }

  bool StartDocument(const char* documentName) override {
    DOC_INFO_1A document{};
    document.pDocName = const_cast<char*>(documentName);
    document.pOutputFile = nullptr;
    document.pDatatype = const_cast<char*>("RAW");
    return ::StartDocPrinterA(m_handle, 1, reinterpret_cast<BYTE*>(&document)) != 0;
  }

  bool StartPage() override { return ::StartPagePrinter(m_handle) != FALSE; }

  bool Write(const void* data, std::uint32_t count, std::uint32_t& written) override {
    DWORD accepted = 0;
    const BOOL ok = ::WritePrinter(m_handle, const_cast<void*>(data), count, &accepted);
    written = accepted;
    return ok != FALSE;
  }

  bool EndPage() override { return ::EndPagePrinter(m_handle) != FALSE; }
  bool EndDocument() override { return ::EndDocPrinter(m_handle) != FALSE; }

 private:
  HANDLE m_handle;
};

class WinspoolSpooler : public PrinterSpooler {
 public:
  std::optional<std::vector<std::string>> PrinterNames() override {
    constexpr DWORD kFlags = PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS;
    constexpr DWORD kLevel = 2;
    DWORD needed = 0;
    DWORD returned = 0;
    // The first call only tells the size of the information.
    ::EnumPrintersA(kFlags, nullptr, kLevel, nullptr, 0, &needed, &returned);
    std::vector<BYTE> block;
    try {
      block.resize(needed);
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
    if (!::EnumPrintersA(kFlags, nullptr, kLevel, block.data(), needed, &needed, &returned)) {
      return std::nullopt;
    }
    const auto* printers = reinterpret_cast<const PRINTER_INFO_2A*>(block.data());
    std::vector<std::string> names;
    for (DWORD i = 0; i < returned; ++i) {
      if (printers[i].pPrinterName != nullptr) names.emplace_back(printers[i].pPrinterName);
    }
    return names;
  }

  std::unique_ptr<SpooledPrinter> OpenPrinter(const std::string& name) override {
    HANDLE handle = nullptr;
    if (!::OpenPrinterA(const_cast<char*>(name.c_str()), &handle, nullptr)) return nullptr;
    return std::make_unique<WinspoolPrinter>(handle);
  }
};

}  // namespace

PrinterSpooler& SystemSpooler() {
  static WinspoolSpooler spooler;
  return spooler;
}

}  // namespace zelvane::platform
