#include "price_terminal.h"

#include <climits>
#include <iostream>
#include <span>
#include <thread>

#include "allow_list.h"
#include "comma_list.h"
#include "cp852_text.h"
#include "line_fault.h"
#include "option_table.h"
#include "option_values.h"
#include "terminal_device_link.h"
#include "terminal_link.h"

namespace zelvane::devsim {
namespace {

using namespace std::chrono_literals;

// The display commands of one answer come together; a pause this long ends them.
constexpr int kAnswerQuietMs = 50;
constexpr std::size_t kReadChunk = 4096;
constexpr auto kRetryConnect = 200ms;
// A fault without its byte strikes somewhere in the terminal's first bytes.
constexpr std::size_t kRandomFaultWithin = 64;

bool Connect(spr_lan::TerminalLink& link, const spr_lan::ListenAddress& service,
             const TerminalPlay& play, const std::atomic<bool>& stop, std::string& error) {
  const auto end = std::chrono::steady_clock::now() + play.connectFor;
  while (!link.Connect(service, error, play.from)) {
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

// The display commands answering a scan (empty when none came in time), and when
// their first byte came.
std::string ReceiveAnswer(DeviceLink& line, std::chrono::milliseconds wait,
                          std::chrono::steady_clock::time_point& firstByte) {
  std::string answer = line.Read(kReadChunk, static_cast<int>(wait.count()));
  firstByte = std::chrono::steady_clock::now();
  if (answer.empty()) return answer;
  for (std::string more; !(more = line.Read(kReadChunk, kAnswerQuietMs)).empty();) answer += more;
  return answer;
}

// What the command line sets: the options and the fault, drawn once all are read.
struct PriceTerminalCommandLine {
  PriceTerminalOptions options;
  FaultOptions fault;
};

bool SetService(PriceTerminalCommandLine& line, std::string_view value) {
  if (value.empty()) return false;
  const auto address = spr_lan::ParseListenAddress(value);
  if (address) line.options.service = *address;
  return address.has_value();
}

bool AddCodes(PriceTerminalCommandLine& line, std::string_view value) {
  for (std::string& code : SplitList(value)) {
    if (!code.empty()) line.options.codes.push_back(std::move(code));
  }
  return true;
}

bool SetEvery(PriceTerminalCommandLine& line, std::string_view value) {
  const std::optional<int> milliseconds = ParseNumber<int>(value, 0, INT_MAX);
  if (milliseconds) line.options.every = std::chrono::milliseconds(*milliseconds);
  return milliseconds.has_value();
}

bool SetFrom(PriceTerminalCommandLine& line, std::string_view value) {
  if (!spr_lan::ParseIpv4(value)) return false;
  line.options.from = std::string(value);
  return true;
}

// Wide enough for "--service HOST:PORT"; longer descriptions go on below it.
constexpr std::size_t kOptionColumn = 21;

const tools::OptionRow<PriceTerminalCommandLine> kOptions[] = {
    {"--service", "HOST:PORT", "the service to connect to (default 127.0.0.1:9101)", &SetService},
    {"--codes", "LIST",
     "comma-separated codes to scan (default: one per line\n"
     "                       of standard input)",
     &AddCodes},
    {"--every", "MS", "pause between two scans of the list (default 1000)", &SetEvery},
    {"--from", "ADDRESS",
     "the terminal's own IPv4 address, e.g. 127.0.0.7 on\n"
     "                       loopback (the service tells terminals apart by address;\n"
     "                       default: the system's choice)",
     &SetFrom},
    {"--fault", "KIND[@N]",
     "drop, flip, cut (the rest of the code), stall (6 s) or\n"
     "                       vanish (connection closed) at byte N of what the\n"
     "                       terminal sends (from 0; random without @N)",
     &SetFaultOption<PriceTerminalCommandLine>},
    {"--seed", "N", "draws the random byte and bit of --fault (default 1)",
     &SetSeedOption<PriceTerminalCommandLine>},
    {"--help", nullptr, "show this text", &SetHelpOption<PriceTerminalCommandLine>},
};

}  // namespace

PriceTerminalParseResult ParsePriceTerminalOptions(const std::vector<std::string>& arguments) {
  PriceTerminalCommandLine line;
  const auto refusal = tools::ApplyOptions(std::span(arguments), line, [](std::string_view name) {
    return tools::FindOptionRow<PriceTerminalCommandLine>(kOptions, name);
  });
  if (refusal) return SimulatorRefusal(*refusal);
  line.options.fault = line.fault.Drawn(kRandomFaultWithin);
  return line.options;
}

std::string PriceTerminalUsage(const std::string& programName) {
  return "Usage: " + programName + " pricechecker [OPTIONS]\n\n" +
         "Plays a LAN price-checker terminal: connects to the price-checker service,\n"
         "scans codes and prints each answer as the two lines the display shows.\n\n"
         "Options:\n" +
         tools::OptionLines<PriceTerminalCommandLine>(kOptions, kOptionColumn);
}

std::vector<std::string> DisplayedLines(std::string_view commands) {
  std::vector<std::string> lines;
  for (const std::string& line : spr_lan::ScreenLines(commands)) {
    lines.push_back(Cp852ToUtf8(line));
  }
  return lines;
}

int PlayPriceTerminal(const spr_lan::ListenAddress& service, NextCode next, void* source,
                      const TerminalPlay& play, const std::atomic<bool>& stop, std::FILE* out) {
  spr_lan::TerminalLink connection;
  std::string error;
  if (!Connect(connection, service, play, stop, error)) {
    std::fprintf(out, "terminal: cannot connect to %s:%u: %s\n", service.host.c_str(),
                 static_cast<unsigned>(service.port), error.c_str());
    return 1;
  }
  TerminalDeviceLink plainLine(connection);
  std::optional<FaultyLink> faultyLine;
  if (play.fault) faultyLine.emplace(plainLine, *play.fault, [&connection] { connection.Close(); });
  DeviceLink& line = faultyLine ? static_cast<DeviceLink&>(*faultyLine) : plainLine;

  int status = 0;
  std::string code;
  for (bool first = true; !stop && next(source, code); first = false) {
    if (!first) std::this_thread::sleep_for(play.every);
    const auto scanned = std::chrono::steady_clock::now();
    if (!line.Write(code + "\r\n")) {
      std::fprintf(out, "terminal: the connection is gone\n");
      return 1;
    }
    auto firstByte = scanned;
    const std::string answer = ReceiveAnswer(line, play.answerWait, firstByte);
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(firstByte - scanned);
    if (answer.empty()) {
      std::fprintf(out, "terminal: scanned %s, no answer\n", code.c_str());
      status = 1;
      continue;
    }
    std::string screen =
        "terminal: scanned " + code + ", answer after " + std::to_string(took.count()) + " ms\n";
    const std::vector<std::string> lines = DisplayedLines(answer);
    if (lines.empty()) screen += "  | (blank)\n";
    for (const std::string& shown : lines) screen += "  | " + shown + "\n";
    std::fputs(screen.c_str(), out);
    std::fflush(out);
  }
  return status;
}

int PlayPriceTerminal(const spr_lan::ListenAddress& service, const std::vector<std::string>& codes,
                      const TerminalPlay& play, const std::atomic<bool>& stop, std::FILE* out) {
  ListSource list{&codes};
  return PlayPriceTerminal(service, &NextFromList, &list, play, stop, out);
}

int RunPriceTerminal(const PriceTerminalOptions& options) {
  const std::atomic<bool> never{false};
  if (!options.codes.empty()) {
    return PlayPriceTerminal(
        options.service, options.codes,
        {options.every, std::chrono::milliseconds(0), options.fault, kLongestAnswer, options.from},
        never, stdout);
  }
  return PlayPriceTerminal(options.service, &NextFromInput, nullptr,
                           {std::chrono::milliseconds(0), std::chrono::milliseconds(0),
                            options.fault, kLongestAnswer, options.from},
                           never, stdout);
}

}  // namespace zelvane::devsim
