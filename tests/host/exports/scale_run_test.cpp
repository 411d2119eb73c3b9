// Scale runs through the exported interface, with the scale played on the other end of
// a pseudo-terminal: weight codes of the line scales, the CAS AP-1 placements, and
// scales that misbehave.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "devices/scales/cas_frames.h"
#include "host/exports/device_run.h"
#include "host/exports/forwarding_switch.h"
#include "host/exports/host_events.h"
#include "support/cas_script.h"
#include "support/pty_device.h"
#include "support/scripted_responder.h"
#include "support/serial_test_support.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using testing::CasBlock;
using testing::CasNotReady;
using testing::CasReading;
using testing::CasReadings;
using testing::HostEvents;
using testing::ScriptedResponder;
using Codes = std::vector<std::string>;
using Steps = std::vector<ScriptedResponder::Step>;

using testing::kForwarding;

constexpr int32_t kFawag = 600;
constexpr int32_t kRadwag = 601;
constexpr int32_t kCas = 602;

class ScaleRun : public testing::DeviceRun {
 protected:
  // Runs the CAS AP-1 job against the script until the scale has played all of it
  // and refused an enquiry since, then breaks it; the codes the host received.
  Codes CasRun(const Steps& script) {
    ScriptedResponder scale(device, script, CasNotReady());
    EXPECT_EQ(Start(kCas, device.Port()), 1);
    EXPECT_TRUE(scale.WaitForSteps(script.size()));
    for (int waited = 0; scale.IdleAnswers() == 0 && waited < 3000; waited += 5) {
      std::this_thread::sleep_for(5ms);
    }
    BreakAndWait();
    EXPECT_TRUE(scale.Mismatches().empty()) << scale.Mismatches().front();
    return events.Codes();
  }
};

// The code of a weight in grams: "27", "0000", "0", the five digits, "0".
std::string CodeOf(const std::string& grams) {
  return "2700000" + grams + "0";
}

TEST_F(ScaleRun, RadwagLinesOfFourteenCharactersBecomeWeightCodes) {
  ASSERT_EQ(Start(kRadwag, device.Port()), 1);
  ASSERT_TRUE(
      device.Write("S  12.345 kg  \r\nS  12.345 kg \r\nS  12.345 kg   \r\n"
                   "S   1.234 kg  \r\n"));
  ASSERT_TRUE(events.WaitForCodes(2, 4s));
  EXPECT_EQ(events.Codes(), (Codes{CodeOf("12345"), CodeOf("01234")}));
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
}

int g_word9Notices = 0;
void ZELVANE_CALL CountWord9Notice(int32_t, const char*, int32_t, int32_t) {
  ++g_word9Notices;
}

TEST_F(ScaleRun, WordNineOfAScaleRequestIsNeverTheStatusCallback) {
  for (const int32_t code : {kFawag, kRadwag, kCas}) {
    RunRequest request{};
    request.device = code;
    request.port = device.Port();
    request.status_callback = &CountWord9Notice;
    g_word9Notices = 0;
    ASSERT_EQ(runs.Count([&] { return ScanerRun(&request, &HostEvents::OnCode); }), 1) << code;
    ASSERT_GE(BreakAndWait(), 0) << code;
    EXPECT_EQ(g_word9Notices, 0) << code;
  }
  EXPECT_EQ(events.NoticeCodes().size(), 9u);
}

TEST_F(ScaleRun, FawagLinesOfEightCharactersBecomeWeightCodes) {
  ASSERT_EQ(Start(kFawag, device.Port()), 1);
  ASSERT_TRUE(device.Write(" 1234.56\r\n  12.34\r\n   12.345\r\n   12.34\r\n"));
  ASSERT_TRUE(events.WaitForCodes(2, 4s));
  EXPECT_EQ(events.Codes(), (Codes{CodeOf("34560"), CodeOf("12340")}));
}

TEST_F(ScaleRun, CasWeightIsDeliveredOncePerPlacement) {
  EXPECT_EQ(CasRun(CasReadings({"S  0.000kg", "U  1.000kg", "S  1.000kg", "S  1.000kg"})),
            (Codes{CodeOf("01000")}));
}

TEST_F(ScaleRun, CasScaleNeverAtZeroDeliversNothing) {
  EXPECT_EQ(CasRun(CasReadings({"S  1.000kg", "S  1.000kg", "S  1.000kg"})), Codes{});
}

TEST_F(ScaleRun, CasUnstableTwoDecimalZeroArmsAtOnce) {
  EXPECT_EQ(CasRun(CasReadings({"U   0.00kg", "S   2.50kg"})), (Codes{CodeOf("02500")}));
}

TEST_F(ScaleRun, CasFailedExchangeCountsAsAChange) {
  // Seen twice running, the unstable zero would arm the scale for the weight.
  Steps script = CasReadings({"U  0.000kg"});
  script.push_back(CasNotReady());
  for (const ScriptedResponder::Step& step : CasReadings({"U  0.000kg", "S  1.000kg"})) {
    script.push_back(step);
  }
  EXPECT_EQ(CasRun(script), Codes{});
}

TEST_F(ScaleRun, CasCorruptedOrMalformedAnswersAreNeverReported) {
  // Armed by the zero, then a weight with one bit lost on the line (1.234 read as
  // 1.274, the check character still that of 1.234) and malformed frames.
  Steps script = CasReadings({"S  0.000kg"});
  const std::uint8_t sentCheck = static_cast<std::uint8_t>(CasBlock("S  1.234kg")[11]);
  const std::vector<Steps> bad = {
      CasReading(CasBlock("S  1.274kg", sentCheck)),
      CasReading(CasBlock("S 1.234kg")),               // nine characters
      CasReading("\x02S  1.234kg\x03"),                // no check character
      CasReading("\x02" + std::string(300, '7')),      // no ETX within 256 bytes
      {{"\x05", std::string("\xff\x00\x02\x01", 4)}},  // garbage for ACK
  };
  for (const Steps& steps : bad) script.insert(script.end(), steps.begin(), steps.end());
  const Codes expected =
      BuiltInBlockCheck() == BlockCheck::kVerified ? Codes{} : Codes{CodeOf("01274")};
  EXPECT_EQ(CasRun(script), expected);
}

TEST_F(ScaleRun, BreakEndsACasScaleThatStoppedInTheMiddleOfTheDialogue) {
  ScriptedResponder scale(device, {{"\x05", "\x06"}, {"\x11", "\x01\x02S  1."}});
  ASSERT_EQ(Start(kCas, device.Port()), 1);
  ASSERT_TRUE(scale.WaitForSteps(2));
  std::this_thread::sleep_for(300ms);
  const long long took = BreakAndWait();
  std::printf("break to close notice: %lld ms\n", took);
  EXPECT_LT(took, 1500);
  EXPECT_TRUE(events.Codes().empty());
}

TEST_F(ScaleRun, LineScaleSendingGarbageDeliversNothingAndStillBreaks) {
  ASSERT_EQ(Start(kRadwag, device.Port()), 1);
  // Random bytes with lines that never complete (no LF), half lines, and runs longer
  // than any line.
  std::string garbage;
  unsigned seed = 20261208;
  for (int i = 0; i < 4000; ++i) {
    seed = seed * 1103515245u + 12345u;
    const char byte = static_cast<char>((seed >> 16) & 0xFF);
    garbage += byte == '\n' ? '\r' : byte;
  }
  for (int chunk = 0; chunk < 8; ++chunk) {
    ASSERT_TRUE(device.Write(garbage.substr(static_cast<std::size_t>(chunk) * 500, 500)));
    std::this_thread::sleep_for(150ms);
  }
  const long long took = BreakAndWait();
  EXPECT_LT(took, 1500);
  EXPECT_TRUE(events.Codes().empty());
}

TEST_F(ScaleRun, ScaleCodesSelectTheScaleJobs) {
  const char* expected = "Port szeregowy o danym numerze nie istnieje";
  for (int32_t code : {kFawag, kRadwag, kCas}) {
    const std::size_t before = events.Notices().size();
    EXPECT_EQ(Start(code, testing::PtyDevice::MissingPort()), 0) << code;
    const std::vector<HostEvents::Notice> notices = events.Notices();
    EXPECT_EQ(
        std::vector<HostEvents::Notice>(notices.begin() + static_cast<long>(before), notices.end()),
        (std::vector<HostEvents::Notice>{
            {1, "", 0, 0}, {8, expected, 0, -2}, {8, expected, 0, -2}}))
        << code;
    if (!kForwarding) {
      EXPECT_EQ(ScanerError(), -2);
    }
  }
}

}  // namespace
}  // namespace zelvane
