#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "platform/printer_spooler.h"

namespace zelvane::printing {

// A remote-desktop session names a redirected printer after the client's printer, a
// marker and the session number, so a name stored in one session is gone in the next.
// The markers are searched in this order, case-sensitive; the first one found decides.
inline constexpr std::string_view kSessionMarkers[] = {
    "sesji",
    "Sesja",
    "session",
    "(redirected",
    "(przekierowana sesja:",
    // Other languages' redirection names. They come after the markers above so that
    // a name carrying one of those still resolves as it always did.
    "(umgeleitet",
};

// Printer names are kept and handed back with at most this many characters.
inline constexpr std::size_t kMaxPrinterNameLength = 255;

// How many leading characters of `name` the same client printer keeps in every
// session: up to and including the first marker found. Nothing without a marker.
std::optional<std::size_t> SessionPrefixLength(std::string_view name);

// The printer that a stored name stands for in the current session, cut to 255
// characters: the first printer in the spooler's order whose name begins with the
// stored name's session prefix, else the stored name itself. A name without a
// session marker is used as it is, and the spooler is not asked.
std::string PrinterNameInSession(std::string_view name, platform::PrinterSpooler& spooler);

}  // namespace zelvane::printing
