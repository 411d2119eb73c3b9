// The simulators played against the library's own protocol classes on a
// pseudo-terminal (under Wine: the runner's COM pair), so that a simulator that drifts
// from what the jobs read shows here rather than in a newcomer's first run.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bht_terminal_simulator.h"
#include "buffers/chr_arr.h"
#include "cas_scale_simulator.h"
#include "casio_terminal_simulator.h"
#include "device_simulator.h"
#include "devices/collectors/bht6045.h"
#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/casio_dt700.h"
#include "devices/reading_record.h"
#include "devices/scales/cas_ap1.h"
#include "devices/scales/radwag.h"
#include "devices/scales/scale_parsing.h"
#include "devices/scanners/scanner_jobs.h"
#include "line_scale_simulator.h"
#include "pty_device_link.h"
#include "scanner_simulator.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane::devsim {
namespace {

using testing::PtyDeviceLink;
using zelvane::testing::PtyDevice;

std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

// A protocol of the library opened on the port whose other end a simulator plays.
template <class Protocol>
class SimulatorAgainst : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << zelvane::testing::kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    protocol.SetComm(&serial);
    ASSERT_EQ(protocol.Open(device.Port()), 1) << protocol.GetError();
  }
  void TearDown() override { protocol.Close(); }

  // Time for what the simulator sent to cross the line.
  void LetItArrive() { serial.Pause(0.1); }

  zelvane::testing::TempDirectoryOverride temp;
  zelvane::testing::MessageRecorder messages;
  PtyDevice device;
  PtyDeviceLink link{device};
  CVeduvezid serial;
  Protocol protocol;
};

using MetrologicReader = SimulatorAgainst<CMetroLogic>;
using TyssoReader = SimulatorAgainst<CTysso>;
using RadwagReader = SimulatorAgainst<CRadwag>;
using CasReader = SimulatorAgainst<CCasAP_1>;

TEST_F(MetrologicReader, BurstNoiseAndOverlongLinesReadAsAScannersWould) {
  ScannerSimulator scanner(link, LineEnd::kCrLf, {});
  CChrArr code;
  ASSERT_TRUE(scanner.SendBurst({"12345", "ABC"}));
  LetItArrive();
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "12345");
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "ABC");

  ASSERT_TRUE(scanner.SendNoise(129));
  LetItArrive();
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "");
  ASSERT_TRUE(scanner.SendOverlongLine(129));
  LetItArrive();
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "");
  EXPECT_EQ(protocol.GetError(), TE_OVERFLOW);

  ASSERT_TRUE(scanner.SendCode("AFTER"));
  LetItArrive();
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "AFTER");
}

TEST_F(TyssoReader, CodesEndingInCrAreRead) {
  ScannerSimulator scanner(link, LineEnd::kCr, {});
  ASSERT_TRUE(scanner.SendCode("5901234123457"));
  LetItArrive();
  CChrArr code;
  protocol.ReadScan(code);
  EXPECT_EQ(Text(code), "5901234123457");
}

TEST_F(RadwagReader, PushedLinesGiveTheWeightCodesOfTheirReadings) {
  const auto pushedCode = [this](LineScaleModel model, const Reading& reading) {
    LineScaleSimulator scale(link, model, {});
    EXPECT_TRUE(scale.SendReading(reading));
    LetItArrive();
    CChrArr line;
    protocol.ReadLine(line);
    const std::optional<CChrArr> code =
        model == LineScaleModel::kRadwag ? RadwagWeightCode(line) : FawagWeightCode(line);
    return code ? Text(*code) : "no code";
  };
  EXPECT_EQ(pushedCode(LineScaleModel::kRadwag, {ReadingKind::kStable, 12.345}), "2700000123450");
  EXPECT_EQ(pushedCode(LineScaleModel::kRadwag, {ReadingKind::kStable, 1.234}), "2700000012340");
  EXPECT_EQ(pushedCode(LineScaleModel::kFawagTwoDecimals, {ReadingKind::kStable, 1234.56}),
            "2700000345600");
  EXPECT_EQ(pushedCode(LineScaleModel::kFawagThreeDecimals, {ReadingKind::kStable, 2.5}),
            "2700000025000");
  EXPECT_EQ(pushedCode(LineScaleModel::kRadwag, {ReadingKind::kMalformed, 1}), "no code");
  EXPECT_EQ(pushedCode(LineScaleModel::kFawagTwoDecimals, {ReadingKind::kMalformed, 1}), "no code");
}

TEST_F(CasReader, DialogueGivesTheAnswerAndNakRefusesIt) {
  CasScaleSimulator scale(link, {CasAnswer{"S  1.234kg"}, CasRefusal{}, CasAnswer{"S   2.50kg"}});
  std::jthread player(
      [&scale](std::stop_token stop) { RunSimulator(scale, std::chrono::milliseconds(0), stop); });
  CChrArr answer;
  ASSERT_EQ(protocol.ReadWeight(answer), 1);
  EXPECT_EQ(Text(answer), "S  1.234kg");
  EXPECT_EQ(protocol.ReadWeight(answer), 0);
  ASSERT_EQ(protocol.ReadWeight(answer), 1);
  EXPECT_EQ(Text(CasWeightCode(answer)), "2700000025000");
}

// What a collector protocol handed over, as "code=quantity".
std::vector<std::string> g_readings;
void ZELVANE_CALL TakeReading(void* record) {
  const auto& reading = *static_cast<const ReadingRecord*>(record);
  g_readings.push_back(std::string(reading.text) + "=" + std::to_string(reading.quantity));
}

using BhtReader = SimulatorAgainst<CBht6045>;
using CasioReader = SimulatorAgainst<CCasioDT700>;

TEST_F(BhtReader, FilesComeWholeAndARefusedBlockAgain) {
  if (!BhtCheckVerified()) GTEST_SKIP() << "this build takes blocks unchecked";
  g_readings.clear();
  BhtTerminalSimulator terminal(
      link, 9600,
      {BhtRecordStep{"FIRST", "1"}, BhtCue::kWrongCheck, BhtRecordStep{"5901234", "2"},
       BhtCue::kNewFile, BhtRecordStep{"ABC", "0.5"}, BhtCue::kStrayByte});
  std::jthread player([&terminal](std::stop_token stop) {
    RunSimulator(terminal, std::chrono::milliseconds(300), stop);
  });
  EXPECT_EQ(protocol.ReadRecords(&TakeReading), 1) << protocol.GetError();
  EXPECT_EQ(g_readings, (std::vector<std::string>{"5901234=2.000000", "ABC=0.500000"}));
}

TEST_F(CasioReader, CallWhoseEtxCameLateIsDroppedAndTheNextTaken) {
  g_readings.clear();
  CasioTerminalSimulator terminal(
      link, 19200, {CasioCue::kLateEtx, CasioRecordStep{"A", "1"}, CasioRecordStep{"ABC", "12.5"}});
  // Calls far enough apart that an ACK the PC was slow to send on a loaded machine
  // still reaches the terminal before its next call.
  std::jthread player([&terminal](std::stop_token stop) {
    RunSimulator(terminal, std::chrono::milliseconds(600), stop);
  });
  // The "?" is in before the read looks, its ETX not yet.
  while (serial.BytesAvailable(device.Port()) == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(protocol.ReadRecords(&TakeReading), 1) << protocol.GetError();
  // The "?" dropped, its ETX passed over, and the next call taken at once: two calls'
  // time, where a wait that ran out in between would add two seconds more.
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_EQ(g_readings, (std::vector<std::string>{"A=1.000000", "ABC=12.500000"}));
}

}  // namespace
}  // namespace zelvane::devsim
