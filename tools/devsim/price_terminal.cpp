#include "price_terminal.h"

#include <charconv>
#include <iostream>
#include <thread>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "buffers/code_pages.h"
#include "comma_list.h"
#include "cp1250_text.h"
#include "terminal_link.h"

namespace zelvane::devsim {
namespace {

using namespace std::chrono_literals;

// The service answers within ten 500 ms waits of the host's answer and three of the
// previous code; a little more is allowed.
constexpr auto kLongestAnswer = 7s;
constexpr auto kRetryConnect = 200ms;

bool Connect(spr_lan::TerminalLink& link, const spr_lan::ListenAddress& service,
             std::chrono::milliseconds connectFor, const std::atomic<bool>& stop,
             std::string& error) {
  const auto end = std::chrono::steady_clock::now() + connectFor;
  while (!link.Connect(service, error)) {
    if (stop || std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(kRetryConnect);
  }
  return true;
}

struct ListSource {
  const std::vector<std::string>* codes;
  std::size_t next = 0;
};

bool NextFromList(void* source, std::string& code) {
  auto* list = static_cast<ListSource*>(source);
  if (list->next >= list->codes->size()) return false;
  code = (*list->codes)[list->next++];
  return true;
}

bool NextFromInput(void*, std::string& code) {
  return static_cast<bool>(std::getline(std::cin, code));
}

}  // namespace

PriceTerminalParseResult ParsePriceTerminalOptions(const std::vector<std::string>& arguments) {
  PriceTerminalOptions options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& name = arguments[i];
    if (name == "--help") {
      options.help = true;
      continue;
    }
    const bool takesValue = name == "--service" || name == "--codes" || name == "--every";
    if (!takesValue) return "unknown option '" + name + "'";
    if (i + 1 == arguments.size()) return name + " needs a value";
    const std::string& value = arguments[++i];
    if (name == "--service") {
      const auto address = spr_lan::ParseListenAddress(value);
      if (!address || value.empty()) return "bad value '" + value + "' for --service";
      options.service = *address;
    } else if (name == "--codes") {
      for (std::string& code : SplitList(value)) {
        if (!code.empty()) options.codes.push_back(std::move(code));
      }
    } else {
      int milliseconds = -1;
      const auto [end, error] =
          std::from_chars(value.data(), value.data() + value.size(), milliseconds);
      if (error != std::errc() || end != value.data() + value.size() || milliseconds < 0) {
        return "bad value '" + value + "' for --every";
      }
      options.every = std::chrono::milliseconds(milliseconds);
    }
  }
  return options;
}

std::string PriceTerminalUsage(const std::string& programName) {
  return "Usage: " + programName + " pricechecker [OPTIONS]\n\n" +
         "Plays a LAN price-checker terminal: connects to the price-checker service,\n"
         "scans codes and prints each answer as the two lines the display shows.\n\n"
         "Options:\n"
         "  --service HOST:PORT  the service to connect to (default 127.0.0.1:9101)\n"
         "  --codes LIST         comma-separated codes to scan (default: one per line\n"
         "                       of standard input)\n"
         "  --every MS           pause between two scans of the list (default 1000)\n"
         "  --help               show this text\n";
}

std::vector<std::string> DisplayedLines(std::string_view commands) {
  std::vector<std::string> lines;
  for (const std::string& line : spr_lan::ScreenLines(commands)) {
    lines.push_back(host::Cp1250ToUtf8(ToCString(FromCp852(CChrArr(line))).c_str()));
  }
  return lines;
}

int PlayPriceTerminal(const spr_lan::ListenAddress& service, NextCode next, void* source,
                      std::chrono::milliseconds every, std::chrono::milliseconds connectFor,
                      const std::atomic<bool>& stop, std::FILE* out) {
  spr_lan::TerminalLink link;
  std::string error;
  if (!Connect(link, service, connectFor, stop, error)) {
    std::fprintf(out, "terminal: cannot connect to %s:%u: %s\n", service.host.c_str(),
                 static_cast<unsigned>(service.port), error.c_str());
    return 1;
  }
  int status = 0;
  std::string code;
  for (bool first = true; !stop && next(source, code); first = false) {
    if (!first) std::this_thread::sleep_for(every);
    const auto scanned = std::chrono::steady_clock::now();
    if (!link.SendCode(code)) {
      std::fprintf(out, "terminal: the service closed the connection\n");
      return 1;
    }
    const spr_lan::TerminalLink::Received answer = link.Receive(kLongestAnswer);
    const auto took =
        std::chrono::duration_cast<std::chrono::milliseconds>(answer.firstByte - scanned);
    if (answer.bytes.empty()) {
      std::fprintf(out, "terminal: scanned %s, no answer\n", code.c_str());
      status = 1;
      continue;
    }
    std::string screen =
        "terminal: scanned " + code + ", answer after " + std::to_string(took.count()) + " ms\n";
    const std::vector<std::string> lines = DisplayedLines(answer.bytes);
    if (lines.empty()) screen += "  | (blank)\n";
    for (const std::string& line : lines) screen += "  | " + line + "\n";
    std::fputs(screen.c_str(), out);
    std::fflush(out);
  }
  return status;
}

int PlayPriceTerminal(const spr_lan::ListenAddress& service, const std::vector<std::string>& codes,
                      std::chrono::milliseconds every, std::chrono::milliseconds connectFor,
                      const std::atomic<bool>& stop, std::FILE* out) {
  ListSource list{&codes};
  return PlayPriceTerminal(service, &NextFromList, &list, every, connectFor, stop, out);
}

int RunPriceTerminal(const PriceTerminalOptions& options) {
  const std::atomic<bool> never{false};
  if (!options.codes.empty()) {
    return PlayPriceTerminal(options.service, options.codes, options.every,
                             std::chrono::milliseconds(0), never, stdout);
  }
  return PlayPriceTerminal(options.service, &NextFromInput, nullptr, std::chrono::milliseconds(0),
                           std::chrono::milliseconds(0), never, stdout);
}

}  // namespace zelvane::devsim
