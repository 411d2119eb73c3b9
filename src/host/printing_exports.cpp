// Raw printing for the host: printer names of remote-desktop sessions and raw jobs
// through the system's spooler.
#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <string_view>

#include "host/export_guard.h"
#include "platform/printer_spooler.h"
#include "printing/raw_print_job.h"
#include "printing/session_printer_name.h"
#include "zelvane.h"

namespace zelvane {
namespace {

// The last resolved name, handed to the host by address; every call overwrites it.
std::array<char, printing::kMaxPrinterNameLength + 1> g_resolvedName{};

void StoreName(std::string_view name) {
  const std::size_t length = std::min(name.size(), printing::kMaxPrinterNameLength);
  std::memcpy(g_resolvedName.data(), name.data(), length);
  g_resolvedName[length] = '\0';
}

// The given name goes into the buffer first, so that whatever fails afterwards the
// host gets at least that back. A null name counts as an empty one.
const char* ResolveIntoBuffer(const char* name) {
  const std::string_view given = name != nullptr ? name : "";
  StoreName(given);
  StoreName(printing::PrinterNameInSession(given, platform::SystemSpooler()));
  return g_resolvedName.data();
}

}  // namespace
}  // namespace zelvane

using namespace zelvane;

extern "C" {

ZELVANE_API const char* ZELVANE_CALL GetPrnNameInSession(const char* name) {
  return Guarded<const char*>(g_resolvedName.data(), [&] { return ResolveIntoBuffer(name); });
}

ZELVANE_API int32_t ZELVANE_CALL PrnRawData(const char* name, const void* data, int32_t count) {
  return Guarded<int32_t>(0, [&]() -> int32_t {
    if (name == nullptr || count < 0 || (data == nullptr && count != 0)) return 0;
    const std::string printer = ResolveIntoBuffer(name);
    // An empty stream still makes a document; the spooler gets a valid address.
    static const unsigned char kNothing = 0;
    const void* bytes = data != nullptr ? data : &kNothing;
    return printing::PrintRaw(platform::SystemSpooler(), printer, bytes,
                              static_cast<std::uint32_t>(count))
               ? 1
               : 0;
  });
}

}  // extern "C"
