// The check values of a download's frames, on a terminal played over a pseudo-terminal:
// logged for every frame instead of shown, and acted on as the build switch says.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "devices/collectors/cipherlab.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/scripted_responder.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

using cipherlab::CheckValue;
using cipherlab::CollectorRecord;
using testing::ScriptedResponder;

// "A,1,1" sums to 0xFB and "B,2,2" to 0xFE; the second frame's pair matches neither
// sum in either order.
const std::string kGood = std::string(
    "\x01"
    "A,1,1\x00\xFB\r",
    9);
const std::string kCorrupted = std::string(
    "\x02"
    "B,2,2\x01\xFE\r",
    9);

class CipherLabDownload : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!testing::PtyDevice::Available()) GTEST_SKIP() << testing::kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
    terminal.SetComm(&serial);
    ASSERT_EQ(terminal.Open(device.Port(), 115200), 1) << terminal.GetError();
    terminal.OpenTraceLog();
  }
  void TearDown() override {
    terminal.CloseTraceLog();
    terminal.Close();
  }

  // Reads against the script; the codes delivered.
  std::vector<std::string> Read(const std::vector<ScriptedResponder::Step>& script) {
    ScriptedResponder player(device, script);
    std::vector<std::string> codes;
    EXPECT_EQ(
        terminal.ReadRecords([&](CollectorRecord& record) { codes.emplace_back(record.code); },
                             cipherlab::RecordLayout::kFull),
        1)
        << terminal.GetError();
    return codes;
  }

  std::string Trace() const {
    for (const std::string& name : temp.Names()) {
      if (name.rfind("QXDATA_", 0) == 0) return temp.Read(name).value_or("unreadable");
    }
    return "no trace";
  }

  testing::TempDirectoryOverride temp;
  testing::MessageRecorder messages;
  testing::PtyDevice device;
  CVeduvezid serial;
  CCipherLab terminal;
};

TEST_F(CipherLabDownload, BothCheckValuesOfEveryFrameAreTracedAndNoMessageIsShown) {
  EXPECT_EQ(Read({{"READ\r", "ACK\r" + kGood}, {"ACK\r", kCorrupted}, {"NAK\r", "OVER\rOVER\r"}}),
            std::vector<std::string>{"1"});
  terminal.CloseTraceLog();
  EXPECT_EQ(Trace(),
            " -> BCC -> ECR:      FB00 MY_BCC:        FC\r\n"
            " -> BCC -> ECR:      FE01 MY_BCC:       100\r\n");
  EXPECT_TRUE(messages.Texts().empty());
}

TEST_F(CipherLabDownload, UncheckedBuildTakesAFrameWhateverItsCheckValue) {
  terminal.SetCheckValue(CheckValue::kAccepted);
  EXPECT_EQ(Read({{"READ\r", "ACK\r" + kCorrupted}, {"ACK\r", "OVER\rOVER\r"}}),
            std::vector<std::string>{"2"});
}

}  // namespace
}  // namespace zelvane
