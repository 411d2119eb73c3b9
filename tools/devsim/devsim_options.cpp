#include "devsim_options.h"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>

#include "comma_list.h"
#include "option_table.h"
#include "option_values.h"
#include "overloaded.h"

namespace zelvane::devsim {
namespace {

// The weights every scale line can hold (the Fawag line with three decimals has seven
// characters for it).
constexpr double kLightest = -99.999;
constexpr double kHeaviest = 999.999;

struct DeviceRow {
  const char* name;
  int demoCode;  // the device code whose demo script the device starts from
  const char* description;
};

const DeviceRow kDevices[] = {
    {"metrologic", 402, "Metrologic scanner, lines end CR LF (device codes 402-405)"},
    {"tysso", 400, "Tysso scanner, lines end CR (device codes 400, 401)"},
    {"radwag", 601, "Radwag scale, 14-character lines (device code 601)"},
    {"fawag", 600, "Fawag scale, 8-character lines (device code 600)"},
    {"cas", 602, "CAS AP-1 scale, ENQ/DC1 dialogue (device code 602)"},
    {"cipherlab", 500, "CipherLab terminal, READ/CIPHER transfers (device codes 500, 501, 504)"},
    {"bht", 503, "Denso BHT-6045 terminal, sends files of blocks (device code 503)"},
    {"casio", 505, "Casio DT-700 terminal, sends length-prefixed records (device code 505)"},
};

struct ParseState {
  DevsimOptions options;
  bool cued = false;  // the demo steps have been replaced by the command line's
  FaultOptions fault;
};

// A fault without its byte strikes somewhere in the device's first bytes.
constexpr std::size_t kRandomFaultWithin = 256;

// The step list of a script, emptied of its demo steps before the first cue adds one.
std::vector<ScannerCue>& StepsOf(ScannerScript& script) {
  return script.cues;
}
std::vector<Reading>& StepsOf(LineScaleScript& script) {
  return script.readings;
}
std::vector<CasStep>& StepsOf(CasScript& script) {
  return script.steps;
}
std::vector<TerminalStep>& StepsOf(CipherLabScript& script) {
  return script.steps;
}
std::vector<BhtStep>& StepsOf(BhtScript& script) {
  return script.steps;
}
std::vector<CasioStep>& StepsOf(CasioScript& script) {
  return script.steps;
}
template <typename Script>
auto& CuedSteps(ParseState& state) {
  auto& steps = StepsOf(std::get<Script>(state.options.script.device));
  if (!state.cued) steps.clear();
  state.cued = true;
  return steps;
}

std::optional<std::size_t> ParseLength(std::string_view text) {
  return ParseNumber<std::size_t>(text, 1, 1 << 20);
}

bool AddCodes(ParseState& state, std::string_view value) {
  for (std::string& code : SplitList(value)) {
    CuedSteps<ScannerScript>(state).push_back(ScannedCodes{{std::move(code)}});
  }
  return true;
}

bool AddBurst(ParseState& state, std::string_view value) {
  CuedSteps<ScannerScript>(state).push_back(ScannedCodes{SplitList(value)});
  return true;
}

template <typename Cue>
bool AddSized(ParseState& state, std::string_view value) {
  const std::optional<std::size_t> length = ParseLength(value);
  if (length) CuedSteps<ScannerScript>(state).push_back(Cue{*length});
  return length.has_value();
}

template <ReadingKind kind>
bool AddReadings(ParseState& state, std::string_view value) {
  std::vector<Reading> readings;
  for (const std::string& weight : SplitList(value)) {
    const std::optional<double> kilograms =
        ParseNumber(std::string_view(weight), kLightest, kHeaviest);
    if (!kilograms) return false;
    readings.push_back({kind, *kilograms});
  }
  auto& steps = CuedSteps<LineScaleScript>(state);
  steps.insert(steps.end(), readings.begin(), readings.end());
  return true;
}

bool AddMalformed(ParseState& state, std::string_view) {
  // The weight only sets the line's width: every digit becomes a dash.
  CuedSteps<LineScaleScript>(state).push_back({ReadingKind::kMalformed, 1.234});
  return true;
}

bool SetDecimals(ParseState& state, std::string_view value) {
  auto& scale = std::get<LineScaleScript>(state.options.script.device);
  if (value == "2") scale.model = LineScaleModel::kFawagTwoDecimals;
  if (value == "3") scale.model = LineScaleModel::kFawagThreeDecimals;
  return value == "2" || value == "3";
}

template <bool wrongCheck>
bool AddAnswers(ParseState& state, std::string_view value) {
  for (std::string& text : SplitList(value)) {
    CuedSteps<CasScript>(state).push_back(CasAnswer{std::move(text), wrongCheck});
  }
  return true;
}

template <typename Step>
bool AddCasStep(ParseState& state, std::string_view) {
  // Built in place: moving a temporary into the variant makes GCC 12 warn, at -O2, that
  // the string of another alternative may be read uninitialized.
  CuedSteps<CasScript>(state).emplace_back(std::in_place_type<Step>);
  return true;
}

bool AddTerminalRecord(ParseState& state, std::string_view value) {
  CuedSteps<CipherLabScript>(state).emplace_back(TerminalRecord{std::string(value)});
  return !value.empty();
}

// Numbered records for long transfers: full ("Towar N,code,1,price") or short.
template <bool shortRecords>
bool GenerateTerminalRecords(ParseState& state, std::string_view value) {
  const auto count = ParseNumber<int>(value, 1, 1000000);
  if (!count) return false;
  auto& steps = CuedSteps<CipherLabScript>(state);
  for (int i = 1; i <= *count; ++i) {
    const std::string code = std::to_string(5900000000000LL + i);
    steps.emplace_back(TerminalRecord{shortRecords ? code + "," + std::to_string(i % 9 + 1)
                                                   : "Towar " + std::to_string(i) + "," + code +
                                                         "," + std::to_string(i % 9 + 1) + "," +
                                                         std::to_string(100 + i % 900)});
  }
  return true;
}

template <TerminalCue cue>
bool AddTerminalCue(ParseState& state, std::string_view) {
  CuedSteps<CipherLabScript>(state).emplace_back(cue);
  return true;
}

// A BHT-6045 record "code:quantity", a Casio DT-700 record "code:quantity" (the
// quantity may be empty).
std::optional<std::pair<std::string, std::string>> CodeAndQuantity(std::string_view item) {
  const std::size_t colon = item.rfind(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  return std::pair{std::string(item.substr(0, colon)), std::string(item.substr(colon + 1))};
}

template <typename Script, typename Record>
bool AddCodeQuantityRecords(ParseState& state, std::string_view value) {
  std::vector<Record> records;
  for (const std::string& item : SplitList(value)) {
    const auto record = CodeAndQuantity(item);
    if (!record) return false;
    records.push_back(Record{record->first, record->second});
  }
  auto& steps = CuedSteps<Script>(state);
  steps.insert(steps.end(), records.begin(), records.end());
  return true;
}

// Numbered records "code:quantity" for long transfers.
template <typename Script, typename Record>
bool GenerateCodeQuantityRecords(ParseState& state, std::string_view value) {
  const auto count = ParseNumber<int>(value, 1, 1000000);
  if (!count) return false;
  auto& steps = CuedSteps<Script>(state);
  for (int i = 1; i <= *count; ++i) {
    steps.emplace_back(Record{std::to_string(5900000000000LL + i), std::to_string(i % 9 + 1)});
  }
  return true;
}

// Each --file or --generate of a BHT-6045 terminal is one more file of its transfer.
void StartBhtFile(ParseState& state) {
  auto& steps = CuedSteps<BhtScript>(state);
  const auto isRecord = [](const BhtStep& step) {
    return std::holds_alternative<BhtRecordStep>(step);
  };
  if (std::any_of(steps.begin(), steps.end(), isRecord)) steps.emplace_back(BhtCue::kNewFile);
}

bool AddBhtFile(ParseState& state, std::string_view value) {
  StartBhtFile(state);
  return AddCodeQuantityRecords<BhtScript, BhtRecordStep>(state, value);
}

bool AddBhtGenerated(ParseState& state, std::string_view value) {
  StartBhtFile(state);
  return GenerateCodeQuantityRecords<BhtScript, BhtRecordStep>(state, value);
}

template <auto cue>
bool AddCue(ParseState& state, std::string_view) {
  CuedSteps<std::conditional_t<std::is_same_v<decltype(cue), BhtCue>, BhtScript, CasioScript>>(
      state)
      .emplace_back(cue);
  return true;
}

bool SetTerminalBaud(ParseState& state, std::string_view value) {
  const auto baud = ParseNumber<int>(value, 0, 1000000);
  if (!baud) return false;
  std::visit(Overloaded{[&](CipherLabScript& terminal) { terminal.baud = *baud; },
                        [&](BhtScript& terminal) { terminal.baud = *baud; },
                        [&](CasioScript& terminal) { terminal.baud = *baud; }, [](auto&) {}},
             state.options.script.device);
  return true;
}

bool SetEvery(ParseState& state, std::string_view value) {
  const auto every = ParseNumber<int>(value, 0, 3600 * 1000);
  if (every) state.options.script.beatEvery = std::chrono::milliseconds(*every);
  return every.has_value();
}

bool SetPort(ParseState& state, std::string_view value) {
  const auto port = ParseNumber<int>(value, 1, 255);
  if (port) state.options.comPort = *port;
  return port.has_value();
}

template <typename Script>
bool Plays(const DeviceScript& script) {
  return std::holds_alternative<Script>(script.device);
}
bool PlaysTerminal(const DeviceScript& script) {
  return Plays<CipherLabScript>(script) || Plays<BhtScript>(script) || Plays<CasioScript>(script);
}
bool PlaysAny(const DeviceScript&) {
  return true;
}
bool PlaysFawag(const DeviceScript& script) {
  const auto* scale = std::get_if<LineScaleScript>(&script.device);
  return scale != nullptr && scale->model != LineScaleModel::kRadwag;
}

// One option, with the devices that take it. A new option is one more row.
struct DevsimOptionRow {
  const char* devices;
  bool (*playedBy)(const DeviceScript& script);
  tools::OptionRow<ParseState> option;
};

const DevsimOptionRow kOptions[] = {
    {"scanners",
     &Plays<ScannerScript>,
     {"--codes", "LIST", "codes, one per beat (an empty one: a bare terminator)", &AddCodes}},
    {"scanners",
     &Plays<ScannerScript>,
     {"--burst", "LIST", "codes all sent at one beat, back to back", &AddBurst}},
    {"scanners",
     &Plays<ScannerScript>,
     {"--noise", "N", "N random bytes without CR, NULs among them", &AddSized<Noise>}},
    {"scanners",
     &Plays<ScannerScript>,
     {"--overlong", "N", "one line of N characters (over 128 is too long)",
      &AddSized<OverlongLine>}},
    {"radwag, fawag",
     &Plays<LineScaleScript>,
     {"--weights", "LIST", "stable readings in kg (0 and negatives too)",
      &AddReadings<ReadingKind::kStable>}},
    {"radwag, fawag",
     &Plays<LineScaleScript>,
     {"--unstable", "LIST", "readings marked U", &AddReadings<ReadingKind::kUnstable>}},
    {"radwag, fawag",
     &Plays<LineScaleScript>,
     {"--not-ok", "LIST", "readings marked N", &AddReadings<ReadingKind::kNotOk>}},
    {"radwag, fawag",
     &Plays<LineScaleScript>,
     {"--malformed", nullptr, "one line of the wrong length without digits", &AddMalformed}},
    {"fawag",
     &PlaysFawag,
     {"--decimals", "2|3", "decimals of the Fawag lines (default 2)", &SetDecimals}},
    {"cas",
     &Plays<CasScript>,
     {"--answers", "LIST", "answers such as \"S  1.234kg\", one per dialogue", &AddAnswers<false>}},
    {"cas",
     &Plays<CasScript>,
     {"--bad-bcc", "LIST", "answers sent with a wrong block check character", &AddAnswers<true>}},
    {"cas",
     &Plays<CasScript>,
     {"--nak", nullptr, "one dialogue whose ENQ gets NAK", &AddCasStep<CasRefusal>}},
    {"cas",
     &Plays<CasScript>,
     {"--silence", nullptr, "one dialogue whose ENQ gets no reply", &AddCasStep<CasSilence>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--record", "TEXT", "a record: \"name,code,quantity,price/100\" or \"code,quantity\"",
      &AddTerminalRecord}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--generate", "N", "N numbered full records", &GenerateTerminalRecords<false>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--generate-short", "N", "N numbered short records", &GenerateTerminalRecords<true>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--nak-command", nullptr, "NAK the next READ or CIPHER",
      &AddTerminalCue<TerminalCue::kNakCommand>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--nak-record", nullptr, "NAK the next uploaded record",
      &AddTerminalCue<TerminalCue::kNakRecord>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--repeat", nullptr, "send the next record twice (same sequence number)",
      &AddTerminalCue<TerminalCue::kRepeatSequence>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--bad-check", nullptr, "send the next record first with a wrong check value",
      &AddTerminalCue<TerminalCue::kWrongCheck>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--no-cr", nullptr, "send the next record first without its CR",
      &AddTerminalCue<TerminalCue::kNoCr>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--lone-over", nullptr, "end the download with a single OVER",
      &AddTerminalCue<TerminalCue::kLoneOver>}},
    {"cipherlab",
     &Plays<CipherLabScript>,
     {"--silence", nullptr, "stop answering here", &AddTerminalCue<TerminalCue::kSilence>}},
    {"bht",
     &Plays<BhtScript>,
     {"--file", "LIST", "a file of records \"code:quantity\" (one file per option)", &AddBhtFile}},
    {"bht",
     &Plays<BhtScript>,
     {"--generate", "N", "a file of N numbered records", &AddBhtGenerated}},
    {"bht",
     &Plays<BhtScript>,
     {"--bad-check", nullptr, "send the next record first with a wrong check byte",
      &AddCue<BhtCue::kWrongCheck>}},
    {"bht",
     &Plays<BhtScript>,
     {"--long-block", nullptr, "send the next record in a block of 24 bytes",
      &AddCue<BhtCue::kLongBlock>}},
    {"bht",
     &Plays<BhtScript>,
     {"--silence", nullptr, "stop before the next record or the file's end",
      &AddCue<BhtCue::kSilence>}},
    {"bht",
     &Plays<BhtScript>,
     {"--stray-byte", nullptr, "a byte other than ENQ before the first call or at the end",
      &AddCue<BhtCue::kStrayByte>}},
    {"casio",
     &Plays<CasioScript>,
     {"--records", "LIST", "records \"code:quantity\" (an empty quantity too)",
      &AddCodeQuantityRecords<CasioScript, CasioRecordStep>}},
    {"casio",
     &Plays<CasioScript>,
     {"--generate", "N", "N numbered records",
      &GenerateCodeQuantityRecords<CasioScript, CasioRecordStep>}},
    {"casio",
     &Plays<CasioScript>,
     {"--late-etx", nullptr, "send the first \"?\" of a transfer without its ETX",
      &AddCue<CasioCue::kLateEtx>}},
    {"casio",
     &Plays<CasioScript>,
     {"--silence", nullptr, "stop before the next record or the end", &AddCue<CasioCue::kSilence>}},
    {"terminals",
     &PlaysTerminal,
     {"--baud", "N", "pace of the line, 10 bits a byte (cipherlab, bht 9600; casio 19200; 0: none)",
      &SetTerminalBaud}},
    {"all",
     &PlaysAny,
     {"--every", "MS", "pace of the codes and pushed lines (0: none; radwag, fawag: answer only)",
      &SetEvery}},
    {"all", &PlaysAny, {"--port", "N", "the n printed in ZELVANE_COM<n>= (default 1)", &SetPort}},
    {"all",
     &PlaysAny,
     {"--fault", "KIND[@N]",
      "drop, flip, cut (the rest of the frame), stall (6 s) or vanish at byte N of what "
      "the device sends (from 0; random without @N)",
      &SetFaultOption<ParseState>}},
    {"all",
     &PlaysAny,
     {"--seed", "N", "draws the random byte and bit of --fault (default 1)",
      &SetSeedOption<ParseState>}},
    {"all", &PlaysAny, {"--help", nullptr, "show this text", &SetHelpOption<ParseState>}},
};

// Devices may share an option name (--silence): each takes the row of its own.
const tools::OptionRow<ParseState>* FindOption(std::string_view name, const DeviceScript& script) {
  for (const DevsimOptionRow& row : kOptions) {
    if (name == row.option.name && row.playedBy(script)) return &row.option;
  }
  return nullptr;
}

bool IsOptionOfAnyDevice(std::string_view name) {
  return std::any_of(std::begin(kOptions), std::end(kOptions),
                     [name](const DevsimOptionRow& row) { return name == row.option.name; });
}

// An option of another device is refused as such, not as unknown.
std::string Worded(const tools::OptionRefusal& refusal, const DeviceRow& device) {
  if (refusal.reason == tools::OptionRefusal::Reason::kUnknownOption &&
      IsOptionOfAnyDevice(refusal.option)) {
    return refusal.option + " is not an option of " + device.name;
  }
  return SimulatorRefusal(refusal);
}

const DeviceRow* FindDevice(std::string_view name) {
  for (const DeviceRow& device : kDevices) {
    if (name == device.name) return &device;
  }
  return nullptr;
}

}  // namespace

DevsimParseResult ParseDevsimOptions(const std::vector<std::string>& arguments) {
  if (!arguments.empty() && arguments.front() == "--help") {
    DevsimOptions options;
    options.help = true;
    return options;
  }
  if (arguments.empty()) return std::string("no device given");
  const DeviceRow* device = FindDevice(arguments.front());
  if (device == nullptr) return "unknown device '" + arguments.front() + "'";

  ParseState state;
  state.options.script = *DemoScript(device->demoCode);
  const auto refusal = tools::ApplyOptions(
      std::span(arguments).subspan(1), state,
      [&state](std::string_view name) { return FindOption(name, state.options.script); });
  if (refusal) return Worded(*refusal, *device);
  state.options.fault = state.fault.Drawn(kRandomFaultWithin);
  return state.options;
}

std::string DevsimUsage(const std::string& programName) {
  std::string text = "Usage: " + programName + " DEVICE [OPTIONS]\n\n" +
                     "Plays a serial device on a new pseudo-terminal and prints the line\n"
                     "ZELVANE_COM<n>=<slave path> for the program that is to open it.\n"
                     "Cue options add to the device's script in the order given; the script\n"
                     "starts again after its last step. A device given no cue plays a demo.\n"
                     "LISTs are comma-separated. Stops on Ctrl-C or SIGTERM.\n\nDevices:\n";
  for (const DeviceRow& device : kDevices) {
    text += "  " + std::string(device.name) +
            std::string(12 - std::string_view(device.name).size(), ' ') + device.description + "\n";
  }
  text += "\nOptions:\n";
  for (const DevsimOptionRow& row : kOptions) {
    text += "  " + tools::OptionColumn(row.option.name, row.option.valueName, 18) + "[" +
            row.devices + "] " + row.option.description + "\n";
  }
  return text;
}

}  // namespace zelvane::devsim
