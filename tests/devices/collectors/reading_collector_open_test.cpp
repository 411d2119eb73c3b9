// The Denso and Casio collector jobs open their line at the terminal's own settings,
// whatever speed the host's request names; the CipherLab jobs at that speed.
#include <gtest/gtest.h>

#include "devices/collectors/collector_jobs.h"
#include "serial/serial_internals.h"
#include "support/pty_device.h"

namespace zelvane {
namespace {

struct LineSettings {
  int baudRate;
  int ctsFlow;
  int lineOption2;
  int dtrMode;
  int rtsMode;
};

template <class Job>
LineSettings OpenedLine(testing::PtyDevice& device, int requestedBaud) {
  testing::InspectableSerial serial;
  Job job;
  job.SetComm(&serial);
  RunRequest request{};
  request.port = device.Port();
  request.baud = requestedBaud;
  EXPECT_EQ(job.OpenDevice(device.Port(), &request), 1) << job.GetErrorCode();
  const PortProfile& profile = serial.Profile();
  LineSettings line{profile.baudRate, profile.ctsFlow, profile.lineOption2, profile.dtrMode,
                    profile.rtsMode};
  if (testing::PtyDevice::ReportsLineStateAsSet()) {
    const platform::comm::Dcb state = serial.LineState();
    EXPECT_EQ(state.BaudRate, static_cast<unsigned>(profile.baudRate));
    EXPECT_EQ(state.fOutxCtsFlow != 0, profile.ctsFlow != 0);
    EXPECT_EQ(state.fRtsControl == platform::comm::kRtsControlHandshake, profile.rtsMode == 2);
  }
  job.CloseDevice(device.Port());
  return line;
}

TEST(ReadingCollectorOpen, LineSettingsAreTheTerminalsWhateverTheRequestSays) {
  testing::PtyDevice device;
  if (!testing::PtyDevice::Available()) GTEST_SKIP() << testing::kNeedsRunner;
  ASSERT_TRUE(device.IsReady()) << device.Error();
  for (const int requested : {19200, 4800, 0}) {
    const LineSettings bht = OpenedLine<CBH_DCOLL>(device, requested);
    EXPECT_EQ(bht.baudRate, 9600) << requested;
    EXPECT_EQ(bht.ctsFlow, 0) << requested;
    EXPECT_EQ(bht.dtrMode, 1) << requested;
    const LineSettings casio = OpenedLine<CCA_DCOLL>(device, requested);
    EXPECT_EQ(casio.baudRate, 19200) << requested;
    EXPECT_EQ(casio.ctsFlow, 1) << requested;
    EXPECT_EQ(casio.lineOption2, 1) << requested;
    EXPECT_EQ(casio.dtrMode, 2) << requested;
    EXPECT_EQ(casio.rtsMode, 2) << requested;
  }
}

TEST(CipherLabOpen, LineSpeedIsWordTwoOfTheRequest) {
  testing::PtyDevice device;
  if (!testing::PtyDevice::Available()) GTEST_SKIP() << testing::kNeedsRunner;
  ASSERT_TRUE(device.IsReady()) << device.Error();
  for (const int requested : {115200, 19200, 4800}) {
    EXPECT_EQ(OpenedLine<CCP_DCOLL>(device, requested).baudRate, requested) << "500, 501";
    EXPECT_EQ(OpenedLine<CSP_DCOLL>(device, requested).baudRate, requested) << "504";
  }
}

}  // namespace
}  // namespace zelvane
