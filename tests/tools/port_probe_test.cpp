// The port probe against every simulator, each on a pseudo-terminal of its own, all at
// once: what it finds and at which speed, and that it sent nothing but the scales'
// questions (no collector command) whatever was on the line. Pseudo-terminals are
// Linux's; the Windows build has none to play devices on.
#if !defined(_WIN32)
#include "port_probe.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <future>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "device_script.h"
#include "device_simulator.h"
#include "pseudo_terminal.h"

namespace zelvane::host {
namespace {

using devsim::DeviceScript;
using std::chrono::milliseconds;

// The device's end of the line, keeping what the PC sent.
class RecordingLink : public devsim::DeviceLink {
 public:
  explicit RecordingLink(devsim::DeviceLink& inner) : m_inner(inner) {}
  bool Write(std::string_view bytes) override { return m_inner.Write(bytes); }
  std::string Read(std::size_t count, int timeoutMs) override {
    std::string bytes = m_inner.Read(count, timeoutMs);
    const std::lock_guard lock(m_mutex);
    m_received += bytes;
    return bytes;
  }
  std::string Received() {
    const std::lock_guard lock(m_mutex);
    return m_received;
  }

 private:
  devsim::DeviceLink& m_inner;
  std::mutex m_mutex;
  std::string m_received;
};

struct Row {
  const char* device;
  std::optional<DeviceScript> script;  // none: nothing on the line
  std::optional<ProbedFamily> family;  // none: the probe must find nothing
  int baud;
  const char* reading;
  const char* weightCode;
};

DeviceScript Scanner(devsim::LineEnd end) {
  return {devsim::ScannerScript{end, {devsim::ScannedCodes{{"5901234123457"}}}}, milliseconds(400)};
}

DeviceScript Scale(devsim::LineScaleModel model) {
  return {devsim::LineScaleScript{model, {{devsim::ReadingKind::kStable, 1.25}}}, milliseconds(0)};
}

const std::vector<Row>& Rows() {
  static const std::vector<Row> rows = {
      {"metrologic", Scanner(devsim::LineEnd::kCrLf), ProbedFamily::kMetrologic, 9600,
       "5901234123457", ""},
      {"tysso", Scanner(devsim::LineEnd::kCr), ProbedFamily::kTysso, 9600, "5901234123457", ""},
      {"radwag", Scale(devsim::LineScaleModel::kRadwag), ProbedFamily::kRadwag, 9600, "1.250 kg",
       "2700000012500"},
      {"fawag", Scale(devsim::LineScaleModel::kFawagTwoDecimals), ProbedFamily::kFawag, 9600,
       "1.25", "2700000012500"},
      {"cas", DeviceScript{devsim::CasScript{{devsim::CasAnswer{"S  1.234kg"}}}, milliseconds(0)},
       ProbedFamily::kCasAp1, 9600, "S  1.234kg", "2700000012340"},
      {"bht", devsim::DemoScript(503), ProbedFamily::kBht6045, 9600, "ENQ", ""},
      {"casio", devsim::DemoScript(505), ProbedFamily::kCasioDt700, 19200, "? ETX", ""},
      // A CipherLab terminal sends nothing until asked, and the probe does not ask.
      {"cipherlab", devsim::DemoScript(500), std::nullopt, 0, "", ""},
      {"silent port", std::nullopt, std::nullopt, 0, "", ""},
  };
  return rows;
}

// The questions are all a probe may send: "D" CR LF, ENQ and DC1.
bool OnlyQuestions(std::string sent) {
  for (std::size_t at = sent.find("D\r\n"); at != std::string::npos; at = sent.find("D\r\n")) {
    sent.erase(at, 3);
  }
  return sent.find_first_not_of("\x05\x11") == std::string::npos;
}

struct Outcome {
  std::optional<ProbeResult> result;
  std::string sent;
  milliseconds took;
};

// One row's device played on its own pseudo-terminal, mapped as COM `port`.
class PlayedDevice {
 public:
  PlayedDevice(const Row& row, int port) : m_variable("ZELVANE_COM" + std::to_string(port)) {
    std::string error;
    m_terminal = devsim::PseudoTerminal::Open(error);
    if (!m_terminal) return;
    setenv(m_variable.c_str(), m_terminal->SlavePath().c_str(), 1);
    m_link = std::make_unique<RecordingLink>(*m_terminal);
    if (!row.script) return;
    m_simulator = devsim::MakeSimulator(*row.script, *m_link);
    m_player = std::jthread([this, beat = row.script->beatEvery](const std::stop_token& stop) {
      devsim::RunSimulator(*m_simulator, beat, stop);
    });
  }
  ~PlayedDevice() { unsetenv(m_variable.c_str()); }
  PlayedDevice(const PlayedDevice&) = delete;
  PlayedDevice& operator=(const PlayedDevice&) = delete;

  bool Ready() const { return m_terminal != nullptr; }
  std::string Received() { return m_link->Received(); }

 private:
  std::string m_variable;
  std::unique_ptr<devsim::PseudoTerminal> m_terminal;
  std::unique_ptr<RecordingLink> m_link;
  std::unique_ptr<devsim::DeviceSimulator> m_simulator;
  std::jthread m_player;  // last: stopped before the simulator goes
};

TEST(PortProbe, FindsEachSimulatedDeviceAtItsSpeedAndOnlyAsksScales) {
  constexpr int kFirstPort = 2;  // ports up to 16 are probed
  const std::vector<Row>& rows = Rows();
  std::vector<std::unique_ptr<PlayedDevice>> devices;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    devices.push_back(std::make_unique<PlayedDevice>(rows[i], kFirstPort + static_cast<int>(i)));
    if (!devices.back()->Ready()) GTEST_SKIP() << "no pseudo-terminals here";
  }
  std::vector<std::future<Outcome>> outcomes;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    outcomes.push_back(std::async(std::launch::async, [&devices, i] {
      const auto start = std::chrono::steady_clock::now();
      std::optional<ProbeResult> result =
          ProbePort(kFirstPort + static_cast<int>(i), [](const std::string&) {});
      const auto took =
          std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - start);
      return Outcome{result, devices[i]->Received(), took};
    }));
  }
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    const Outcome outcome = outcomes[i].get();
    SCOPED_TRACE(row.device);
    EXPECT_TRUE(OnlyQuestions(outcome.sent));
    if (!row.family) {
      EXPECT_FALSE(outcome.result.has_value());
      EXPECT_LT(outcome.took, std::chrono::seconds(30));
      continue;
    }
    ASSERT_TRUE(outcome.result.has_value());
    EXPECT_EQ(outcome.result->finding.family, *row.family);
    EXPECT_EQ(outcome.result->baud, row.baud);
    EXPECT_EQ(outcome.result->finding.reading, row.reading);
    EXPECT_EQ(outcome.result->finding.weightCode, row.weightCode);
  }
}

}  // namespace
}  // namespace zelvane::host
#endif
