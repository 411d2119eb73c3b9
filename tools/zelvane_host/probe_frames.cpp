#include "probe_frames.h"

#include <algorithm>
#include <cctype>

#include "devices/collectors/cipherlab_frames.h"
#include "devices/control_characters.h"
#include "devices/scales/cas_frames.h"
#include "devices/scales/scale_parsing.h"

namespace zelvane::host {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr int kScannerSpeed = 9600;  // also the BHT-6045's and the scales'
constexpr int kCasioSpeed = 19200;
constexpr std::string_view kCasioCall = "?\x03";
constexpr std::size_t kRadwagLineLength = 14;
constexpr std::size_t kFawagLineLength = 8;

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

bool Printable(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return static_cast<unsigned char>(c) >= 0x20; });
}

// A scale line carries a weight: digits and a decimal point.
bool CarriesWeight(std::string_view text) {
  return text.find('.') != std::string_view::npos &&
         std::any_of(text.begin(), text.end(),
                     [](char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; });
}

std::optional<ProbeFinding> ScaleLine(std::string_view text) {
  if (!CarriesWeight(text)) return std::nullopt;
  const bool radwag = text.size() == kRadwagLineLength;
  if (!radwag && text.size() != kFawagLineLength) return std::nullopt;
  const CChrArr line = AsBytes(text);
  const std::optional<CChrArr> code = radwag ? RadwagWeightCode(line) : FawagWeightCode(line);
  if (!code) return std::nullopt;
  return ProbeFinding{radwag ? ProbedFamily::kRadwag : ProbedFamily::kFawag, Trimmed(text),
                      AsText(*code)};
}

bool CipherLabFrame(std::string_view lineWithCr) {
  if (lineWithCr == cipherlab::kOver) return true;
  cipherlab::CollectorRecord record{};
  const CChrArr line = AsBytes(lineWithCr);
  return cipherlab::ParseFrame(line, cipherlab::RecordLayout::kFull, cipherlab::BuiltInCheckValue(),
                               record)
             .accepted ||
         cipherlab::ParseFrame(line, cipherlab::RecordLayout::kShort,
                               cipherlab::BuiltInCheckValue(), record)
             .accepted;
}

// One line up to its CR. `lineFeed`: an LF follows; `decided`: whatever follows is
// known (a byte, or the end of what comes).
std::optional<ProbeFinding> SpotLine(std::string_view text, bool lineFeed, bool decided, int baud) {
  if (lineFeed && IsScaleSpeed(baud)) {
    if (std::optional<ProbeFinding> scale = ScaleLine(text)) return scale;
  }
  if (CipherLabFrame(std::string(text) + kCr)) {
    return ProbeFinding{ProbedFamily::kCipherLab, Trimmed(text), {}};
  }
  if (baud != kScannerSpeed || !Printable(text)) return std::nullopt;
  if (lineFeed) return ProbeFinding{ProbedFamily::kMetrologic, std::string(text), {}};
  if (decided) return ProbeFinding{ProbedFamily::kTysso, std::string(text), {}};
  return std::nullopt;
}

// What follows the last line: a terminal's calls, which end in no CR.
std::optional<ProbeFinding> SpotCalls(std::string_view rest, int baud) {
  const bool onlyEnq = !rest.empty() && rest.find_first_not_of(static_cast<char>(control::kEnq)) ==
                                            std::string_view::npos;
  if (baud == kScannerSpeed && onlyEnq) return ProbeFinding{ProbedFamily::kBht6045, "ENQ", {}};
  if (baud == kCasioSpeed && rest.find(kCasioCall) != std::string_view::npos) {
    return ProbeFinding{ProbedFamily::kCasioDt700, "? ETX", {}};
  }
  return std::nullopt;
}

}  // namespace

CChrArr AsBytes(std::string_view text) {
  CChrArr bytes;
  for (const char c : text) bytes += static_cast<std::uint8_t>(c);
  return bytes;
}

std::string AsText(const CChrArr& bytes) {
  return {reinterpret_cast<const char*>(bytes.GetData()),
          static_cast<std::size_t>(bytes.GetSize())};
}

FamilyFacts FactsOf(ProbedFamily family) {
  switch (family) {
    case ProbedFamily::kMetrologic: return {"Metrologic scanner", "402-405", kScannerSpeed};
    case ProbedFamily::kTysso: return {"Tysso scanner", "400, 401", kScannerSpeed};
    case ProbedFamily::kRadwag: return {"Radwag scale", "601", kScannerSpeed};
    case ProbedFamily::kFawag: return {"Fawag scale", "600", kScannerSpeed};
    case ProbedFamily::kCasAp1: return {"CAS AP-1 scale", "602", kScannerSpeed};
    case ProbedFamily::kCipherLab: return {"CipherLab collector", "500, 501, 504", 0};
    case ProbedFamily::kBht6045: return {"Denso BHT-6045 collector", "503", kScannerSpeed};
    case ProbedFamily::kCasioDt700: return {"Casio DT-700 collector", "505", kCasioSpeed};
  }
  return {"?", "?", 0};
}

bool IsScaleSpeed(int baud) {
  return baud == 2400 || baud == 4800 || baud == kScannerSpeed || baud == kCasioSpeed;
}

std::optional<ProbeFinding> SpotFrames(std::string_view heard, int baud, bool ended) {
  std::size_t start = 0;
  for (std::size_t cr = heard.find(kCr); cr != std::string_view::npos;
       cr = heard.find(kCr, start)) {
    const bool lineFeed = cr + 1 < heard.size() && heard[cr + 1] == kLf;
    const bool decided = cr + 1 < heard.size() || ended;
    if (std::optional<ProbeFinding> found =
            SpotLine(heard.substr(start, cr - start), lineFeed, decided, baud)) {
      return found;
    }
    start = cr + (lineFeed ? 2 : 1);
  }
  return SpotCalls(heard.substr(start), baud);
}

std::optional<ProbeFinding> SpotCasReading(std::string_view replies) {
  const std::size_t stx = replies.find(static_cast<char>(control::kStx));
  const std::size_t etx = replies.find(static_cast<char>(control::kEtx), stx);
  const bool framed = replies.size() >= 2 && replies[0] == static_cast<char>(control::kAck) &&
                      replies[1] == static_cast<char>(control::kSoh) && stx == 2 &&
                      etx != std::string_view::npos && etx + 1 < replies.size() &&
                      replies[etx + 1] == static_cast<char>(control::kEot);
  if (!framed) return std::nullopt;
  const std::optional<CChrArr> answer =
      AnswerFromBlock(AsBytes(replies.substr(stx, etx - stx + 1)), BuiltInBlockCheck());
  if (!answer) return std::nullopt;
  return ProbeFinding{ProbedFamily::kCasAp1, AsText(*answer), AsText(CasWeightCode(*answer))};
}

}  // namespace zelvane::host
