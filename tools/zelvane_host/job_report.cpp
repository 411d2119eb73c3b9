#include "job_report.h"

#include <atomic>
#include <cstdio>

#include "cp1250_text.h"

namespace zelvane::host {
namespace {

constexpr std::int32_t kDeviceClosed = 11;
constexpr std::int32_t kPortOrSystemFailure = 8;

std::atomic<bool> g_jobEnded{false};

const char* NoticeMeaning(std::int32_t code) {
  switch (code) {
    case 1: return "opening device";
    case 2: return "collector operation";
    case 4: return "please wait";
    case 5: return "transfer progress";
    case 6: return "device did not open";
    case 7: return "run ended without success";
    case kPortOrSystemFailure: return "port or system failure";
    case 9: return "transfer starts";
    case 10: return "run ended with success";
    case kDeviceClosed: return "device closed";
    default: return "unknown notice";
  }
}

}  // namespace

void PrintLine(const std::string& line) {
  const std::string whole = line + "\n";
  std::fputs(whole.c_str(), stdout);
  std::fflush(stdout);
}

void ZELVANE_CALL PrintReading(const char* code) {
  PrintLine("reading: " + Cp1250ToUtf8(code));
}

void ZELVANE_CALL PrintStatusNotice(std::int32_t code, const char* text, std::int32_t first,
                                    std::int32_t second) {
  std::string line = "notice " + std::to_string(code) + " " + NoticeMeaning(code);
  const std::string utf8 = Cp1250ToUtf8(text);
  if (!utf8.empty()) line += ": " + utf8;
  if (first != 0 || second != 0) {
    line += " (" + std::to_string(first) + ", " + std::to_string(second) + ")";
  }
  PrintLine(line);
  if (code == kDeviceClosed || code == kPortOrSystemFailure) g_jobEnded.store(true);
}

void ZELVANE_CALL PrintLibraryMessage(const char* text) {
  PrintLine("message: " + Cp1250ToUtf8(text));
}

bool JobEnded() {
  return g_jobEnded.load();
}

void PrintLastError(const ZelvaneApi& api) {
  PrintLine("error " + std::to_string(api.error()) + ": " + Cp1250ToUtf8(api.errorMessage()));
}

}  // namespace zelvane::host
