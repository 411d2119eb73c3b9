#pragma once

#include <cstdint>
#include <string>

#include "platform/printer_spooler.h"

namespace zelvane::printing {

// The name under which raw jobs appear in the printer's queue.
inline constexpr const char* kRawDocumentName = "My Document";

// Prints `count` bytes unchanged, as one raw document of one page written in a single
// call. A failing stage ends the stages already started in reverse order (page,
// document, printer). True only when every stage succeeded and the spooler accepted
// every byte. An empty name is refused: the spoolers take it for their default
// printer or for themselves.
bool PrintRaw(platform::PrinterSpooler& spooler, const std::string& printerName, const void* data,
              std::uint32_t count);

}  // namespace zelvane::printing
