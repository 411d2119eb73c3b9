#pragma once

#include <atomic>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "line_fault.h"
#include "listen_address.h"

namespace zelvane::devsim {

// A LAN price-checker terminal played over TCP: it connects to the price-checker
// service, scans codes and shows each answer as its two display lines.
struct PriceTerminalOptions {
  bool help = false;
  spr_lan::ListenAddress service{"127.0.0.1", 9101};
  std::vector<std::string> codes;  // empty: one code per line of standard input
  std::chrono::milliseconds every{1000};
  std::optional<LineFault> fault;  // what goes wrong on the terminal's line, if anything
  std::string from;                // the terminal's own IPv4 address; empty: the system's
};

using PriceTerminalParseResult = std::variant<PriceTerminalOptions, std::string>;

// The arguments after the device name "pricechecker".
PriceTerminalParseResult ParsePriceTerminalOptions(const std::vector<std::string>& arguments);
std::string PriceTerminalUsage(const std::string& programName);

// The display lines of an answer's commands as UTF-8 (the terminal shows code page 852).
std::vector<std::string> DisplayedLines(std::string_view commands);

// Where the codes come from: the next one, or false when there are no more.
using NextCode = bool (*)(void* source, std::string& code);

// The service answers within 1.5 s of a scan's turn and 5 s of the host's answer; a
// terminal allows a little more.
constexpr std::chrono::milliseconds kLongestAnswer{7000};

// How a terminal plays: the pause between two scans, how long it keeps trying to
// connect, what goes wrong on its line, if anything, how long it waits for an answer,
// and the local address it connects from (on loopback each simulated terminal can
// have one of its own, 127.0.0.x, as the service tells terminals apart by address).
struct TerminalPlay {
  std::chrono::milliseconds every{0};
  std::chrono::milliseconds connectFor{0};
  std::optional<LineFault> fault;
  std::chrono::milliseconds answerWait = kLongestAnswer;
  std::string from;
};

// Connects, then scans every code that `next` gives, printing the screen after each to
// `out`; returns the process status (0 when every scan got an answer). `stop` ends it
// between scans.
int PlayPriceTerminal(const spr_lan::ListenAddress& service, NextCode next, void* source,
                      const TerminalPlay& play, const std::atomic<bool>& stop, std::FILE* out);

// The same for a list of codes.
int PlayPriceTerminal(const spr_lan::ListenAddress& service, const std::vector<std::string>& codes,
                      const TerminalPlay& play, const std::atomic<bool>& stop, std::FILE* out);

// The program's run: the codes of the options, or of standard input.
int RunPriceTerminal(const PriceTerminalOptions& options);

}  // namespace zelvane::devsim
