#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/printer_spooler.h"

namespace zelvane::testing {

// A spooler that lists given printer names and writes down every call made on it, with
// a switch that makes one stage fail and one that makes the write take fewer bytes.
class RecordingSpooler : public platform::PrinterSpooler {
 public:
  explicit RecordingSpooler(std::optional<std::vector<std::string>> printers = {})
      : m_printers(std::move(printers)) {}

  std::string failingStage;              // "open", "document", "page", "write", ...
  std::uint32_t bytesLeftUnwritten = 0;  // a write that succeeds but takes fewer bytes
  std::vector<std::string> journal;
  std::vector<std::uint8_t> printed;
  int listings = 0;

  std::optional<std::vector<std::string>> PrinterNames() override {
    ++listings;
    return m_printers;
  }

  std::unique_ptr<platform::SpooledPrinter> OpenPrinter(const std::string& name) override {
    journal.push_back("open " + name);
    if (failingStage == "open") return nullptr;
    return std::make_unique<Printer>(*this);
  }

 private:
  class Printer : public platform::SpooledPrinter {
   public:
    explicit Printer(RecordingSpooler& spooler) : m_spooler(spooler) {}
    ~Printer() override { m_spooler.journal.emplace_back("close"); }

    bool StartDocument(const char* documentName) override {
      return Stage("document", std::string("document ") + documentName);
    }
    bool StartPage() override { return Stage("page", "page"); }
    bool Write(const void* data, std::uint32_t count, std::uint32_t& written) override {
      if (!Stage("write", "write " + std::to_string(count))) return false;
      written = count - m_spooler.bytesLeftUnwritten;
      const auto* bytes = static_cast<const std::uint8_t*>(data);
      m_spooler.printed.assign(bytes, bytes + written);
      return true;
    }
    bool EndPage() override { return Stage("end page", "end page"); }
    bool EndDocument() override { return Stage("end document", "end document"); }

   private:
    bool Stage(const std::string& stage, const std::string& entry) {
      m_spooler.journal.push_back(entry);
      return m_spooler.failingStage != stage;
    }
    RecordingSpooler& m_spooler;
  };

  std::optional<std::vector<std::string>> m_printers;
};

}  // namespace zelvane::testing
