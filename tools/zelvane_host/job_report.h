#pragma once

#include <cstdint>
#include <string>

#include "zelvane.h"
#include "zelvane_api.h"

namespace zelvane::host {

// Prints one whole line on standard output at once: the library's threads print too.
void PrintLine(const std::string& line);

// Callbacks handed to the library. It calls them on its own threads.
void ZELVANE_CALL PrintReading(const char* code);
void ZELVANE_CALL PrintStatusNotice(std::int32_t code, const char* text, std::int32_t first,
                                    std::int32_t second);
void ZELVANE_CALL PrintLibraryMessage(const char* text);

// True once a notice told that the job closed its device (11) or failed closing it
// (8): the job's thread is then done. Only runs that carry the status callback (the
// collector codes) get notices at all.
bool JobEnded();

// The library's last error code and its text.
void PrintLastError(const ZelvaneApi& api);

}  // namespace zelvane::host
