#include "port_probe.h"

#include <chrono>
#include <cstdio>
#include <string_view>

#include "cp1250_text.h"
#include "devices/control_characters.h"
#include "serial/veduvezid.h"

namespace zelvane::host {
namespace {

using Clock = std::chrono::steady_clock;

// One step of the course: a speed (scales are asked at theirs, see IsScaleSpeed) and
// how long the probe listens for the devices that send by themselves at that speed.
struct ProbeStep {
  int baud;
  int listenSeconds;
  const char* listeningFor;
};

// The speeds in the order a shop's devices most likely use them: first the one the
// library talks to scanners, scales and the BHT-6045 at, then the DT-700's.
const ProbeStep kCourse[] = {
    {9600, 7, "scan a code now, or start the transfer on the terminal (BHT-6045, CipherLab)"},
    {19200, 5, "start the transfer on the terminal (DT-700, CipherLab)"},
    {4800, 0, nullptr},
    {2400, 0, nullptr},
    {38400, 2, "start the transfer on the CipherLab terminal"},
    {57600, 2, "start the transfer on the CipherLab terminal"},
    {115200, 2, "start the transfer on the CipherLab terminal"},
};

constexpr int kAnswerSeconds = 1;
// The port's own waits end on whole seconds of the wall clock, up to a second late;
// the probe keeps its course to time by looking at the port this often instead.
constexpr double kLookEverySeconds = 0.02;
constexpr std::string_view kWeightRequest = "D\r\n";
constexpr std::size_t kShownBytes = 16;

std::string Hex(std::string_view bytes) {
  std::string shown;
  char byte[4];
  for (const char c : bytes.substr(0, kShownBytes)) {
    std::snprintf(byte, sizeof byte, " %02X", static_cast<unsigned char>(c));
    shown += byte;
  }
  return shown + (bytes.size() > kShownBytes ? " ..." : "");
}

// The port at one speed of the course, with everything received there.
class ProbeLine {
 public:
  ProbeLine(CVeduvezid& serial, int port, int baud)
      : m_serial(serial), m_port(port), m_baud(baud) {}

  int Open() { return m_serial.OpenPort(m_port, 1024, 1024, m_baud, 8, 'N', 1); }
  ~ProbeLine() { m_serial.ClosePort(m_port, 1); }

  void Send(std::string_view bytes) { m_serial.Send(m_port, AsBytes(bytes), kAnswerSeconds); }

  // Receives for `seconds`, until a device's frames show up or `done` holds for what
  // came after position `since`.
  std::optional<ProbeFinding> Collect(int seconds, std::size_t since = 0,
                                      bool (*done)(std::string_view) = nullptr) {
    const auto end = Clock::now() + std::chrono::seconds(seconds);
    while (Clock::now() < end) {
      m_serial.Pause(kLookEverySeconds);
      m_heard += AsText(m_serial.Receive(m_port, 0, 0));
      if (std::optional<ProbeFinding> found = SpotFrames(m_heard, m_baud, false)) return found;
      if (done != nullptr && done(std::string_view(m_heard).substr(since))) break;
    }
    return std::nullopt;
  }

  // Whatever came, once nothing more will.
  std::optional<ProbeFinding> LastLook() const { return SpotFrames(m_heard, m_baud, true); }

  const std::string& Heard() const { return m_heard; }

 private:
  CVeduvezid& m_serial;
  int m_port;
  int m_baud;
  std::string m_heard;
};

bool Answered(std::string_view replies) {
  const char answers[] = {static_cast<char>(control::kAck), static_cast<char>(control::kNak)};
  return replies.find_first_of(std::string_view(answers, sizeof answers)) != std::string_view::npos;
}

bool Ended(std::string_view replies) {
  return replies.find(static_cast<char>(control::kEot)) != std::string_view::npos;
}

// The CAS AP-1 dialogue: ENQ must be acknowledged before DC1 asks for the reading.
std::optional<ProbeFinding> AskCasScale(ProbeLine& line) {
  const std::size_t since = line.Heard().size();
  line.Send(std::string(1, static_cast<char>(control::kEnq)));
  if (std::optional<ProbeFinding> found = line.Collect(kAnswerSeconds, since, &Answered)) {
    return found;
  }
  const std::string_view replies = std::string_view(line.Heard()).substr(since);
  if (replies.empty() || replies[0] != static_cast<char>(control::kAck)) return std::nullopt;
  line.Send(std::string(1, static_cast<char>(control::kDc1)));
  if (std::optional<ProbeFinding> found = line.Collect(kAnswerSeconds, since, &Ended)) return found;
  return SpotCasReading(std::string_view(line.Heard()).substr(since));
}

std::optional<ProbeFinding> ProbeStepOf(ProbeLine& line, const ProbeStep& step, int port,
                                        const std::function<void(const std::string&)>& say) {
  const std::string where = "COM" + std::to_string(port) + " at " + std::to_string(step.baud);
  if (IsScaleSpeed(step.baud)) {
    say(where + ": asking for a weight (Radwag, Fawag: \"D\" CR LF; CAS AP-1: ENQ, DC1)");
    line.Send(kWeightRequest);
    if (std::optional<ProbeFinding> found = line.Collect(kAnswerSeconds)) return found;
    if (std::optional<ProbeFinding> found = AskCasScale(line)) return found;
  }
  if (step.listenSeconds > 0) {
    say(where + ": listening " + std::to_string(step.listenSeconds) + " s; " + step.listeningFor +
        "...");
    if (std::optional<ProbeFinding> found = line.Collect(step.listenSeconds)) return found;
  }
  return line.LastLook();
}

void SayFound(const ProbeResult& result, int port,
              const std::function<void(const std::string&)>& say) {
  const FamilyFacts facts = FactsOf(result.finding.family);
  std::string line = "found on COM" + std::to_string(port) + ": " + facts.name + " (device codes " +
                     facts.deviceCodes + ") at " + std::to_string(result.baud) + " baud, sent \"" +
                     Cp1250ToUtf8(result.finding.reading.c_str()) + "\"";
  if (!result.finding.weightCode.empty()) line += ", weight code " + result.finding.weightCode;
  say(line);
  if (facts.librarySpeed == 0) {
    say("run its collector jobs with the speed word (--baud) " + std::to_string(result.baud));
  } else if (facts.librarySpeed != result.baud) {
    say("the library talks to it at " + std::to_string(facts.librarySpeed) +
        " baud: set the device to that speed");
  }
}

}  // namespace

std::optional<ProbeResult> ProbePort(int port, const std::function<void(const std::string&)>& say) {
  CVeduvezid serial;
  std::string unknownBytes;
  for (const ProbeStep& step : kCourse) {
    ProbeLine line(serial, port, step.baud);
    if (const int status = line.Open(); status != 0) {
      say("COM" + std::to_string(port) + " does not open: " +
          Cp1250ToUtf8(CVeduvezid::SerialErrorText(status)) + " (" + std::to_string(status) + ")");
      return std::nullopt;
    }
    if (std::optional<ProbeFinding> found = ProbeStepOf(line, step, port, say)) {
      const ProbeResult result{*found, step.baud};
      SayFound(result, port, say);
      return result;
    }
    if (unknownBytes.empty() && !line.Heard().empty()) {
      unknownBytes = " at " + std::to_string(step.baud) + " baud:" + Hex(line.Heard());
    }
  }
  say("nothing on COM" + std::to_string(port) + " made itself known" +
      (unknownBytes.empty() ? ": the port stayed silent"
                            : "; bytes of no known frame came" + unknownBytes));
  return std::nullopt;
}

}  // namespace zelvane::host
