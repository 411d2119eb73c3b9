#include <gtest/gtest.h>

#include <string>

#include "buffers/chr_arr.h"
#include "devices/scanners/scanner_jobs.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane {
namespace {

std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

// A scanner protocol opened on a pseudo-terminal whose master plays the scanner.
template <class Scanner>
class ScannerOnPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.IsReady()) << device.Error();
    scanner.SetComm(&serial);
    ASSERT_EQ(scanner.Open(device.Port()), 1) << scanner.GetError();
  }
  void TearDown() override { scanner.Close(); }

  // Sends the bytes and gives them time to cross the pseudo-terminal.
  void Scan(const std::string& bytes) {
    ASSERT_TRUE(device.Write(bytes));
    serial.Pause(0.05);
  }

  std::string Poll() {
    CChrArr code;
    EXPECT_EQ(scanner.ReadScan(code), 1);
    return Text(code);
  }

  testing::TempDirectoryOverride temp;
  testing::MessageRecorder messages;
  testing::PtyDevice device;
  CVeduvezid serial;
  Scanner scanner;
};

using MetrologicOnPort = ScannerOnPort<CMetroLogic>;
using TyssoOnPort = ScannerOnPort<CTysso>;

TEST_F(MetrologicOnPort, LineIsTakenOnlyOnceItsLineFeedArrived) {
  Scan("12345\r");
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(scanner.GetError(), TE_TIMEOUT);
  Scan("\n");
  EXPECT_EQ(Poll(), "12345");
  EXPECT_EQ(scanner.GetError(), 0);
}

TEST_F(MetrologicOnPort, BurstIsDeliveredOneLinePerPoll) {
  Scan("111\r\n2222\r\n\r\n");
  EXPECT_EQ(Poll(), "111");
  EXPECT_EQ(Poll(), "2222");
  EXPECT_EQ(Poll(), "");  // a terminator alone
  EXPECT_EQ(scanner.GetError(), 0);
  EXPECT_EQ(Poll(), "");
}

TEST_F(MetrologicOnPort, LinesEndingInLineFeedAloneWaitForACarriageReturn) {
  Scan("12345\n");
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(scanner.GetError(), 0);
  Scan("678\r\n");
  // The first LF ends the line once a CR is somewhere among the bytes, and the code
  // keeps its last character.
  EXPECT_EQ(Poll(), "12345");
  EXPECT_EQ(Poll(), "678");
}

TEST_F(MetrologicOnPort, NoiseWithoutCarriageReturnIsDroppedPast128Bytes) {
  Scan(std::string(128, 'x'));
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(serial.BytesAvailable(device.Port()), 128);

  Scan("y");
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(serial.BytesAvailable(device.Port()), 0);
  Scan("42\r\n");
  EXPECT_EQ(Poll(), "42");
}

TEST_F(MetrologicOnPort, LineLongerThan128BytesIsDroppedWithOverflow) {
  Scan(std::string(130, 'z') + "\r\n7\r\n");
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(scanner.GetError(), TE_OVERFLOW);
  // Whatever was pending went with the overlong line.
  EXPECT_EQ(Poll(), "");
  Scan("8\r\n");
  EXPECT_EQ(Poll(), "8");
}

TEST_F(MetrologicOnPort, BacklogOfLinesFasterThanThePollsIsDropped) {
  std::string burst;
  for (int i = 0; i < 300; ++i) burst += "12\r\n";
  Scan(burst);
  EXPECT_EQ(Poll(), "");
  EXPECT_EQ(serial.BytesAvailable(device.Port()), 0);
  Scan("34\r\n");
  EXPECT_EQ(Poll(), "34");
}

TEST_F(TyssoOnPort, LinesEndAtTheCarriageReturnAndAreDumped) {
  testing::RewindDumpRing(DumpKind::kTextLine, temp);
  Scan("12345\r67");
  EXPECT_EQ(Poll(), "12345");
  EXPECT_EQ(temp.Read(testing::DumpName(DumpKind::kTextLine, 0)), "12345\r");
  EXPECT_EQ(Poll(), "");
  Scan("\r");
  EXPECT_EQ(Poll(), "67");
}

TEST_F(TyssoOnPort, LineFeedsBelongToTheNextCode) {
  Scan("1\r\n2\r");
  EXPECT_EQ(Poll(), "1");
  EXPECT_EQ(Poll(), "\n2");
}

// The job as the reading loop uses it: one code per poll, at most 20 characters.
class ScannerJobOnPort : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(device.IsReady()) << device.Error();
    job.SetComm(&serial);
  }

  testing::MessageRecorder messages;
  testing::PtyDevice device;
  CVeduvezid serial;
  CML_SCANER job;
};

TEST_F(ScannerJobOnPort, CodesAreCutToTwentyCharacters) {
  ASSERT_EQ(job.OpenDevice(device.Port(), nullptr), 1);
  ASSERT_TRUE(device.Write("ABCDEFGHIJKLMNOPQRSTUVWXY\r\nshort\r\n"));
  serial.Pause(0.05);

  char text[CLogicScaner::kCodeTextSize];
  std::fill(std::begin(text), std::end(text), '#');
  EXPECT_EQ(job.ReadCode(device.Port(), text), 1);
  EXPECT_STREQ(text, "ABCDEFGHIJKLMNOPQRST");
  EXPECT_EQ(job.ReadCode(device.Port(), text), 1);
  EXPECT_STREQ(text, "short");
  EXPECT_EQ(job.ReadCode(device.Port(), text), 1);
  EXPECT_STREQ(text, "");
  EXPECT_EQ(job.CloseDevice(device.Port()), 1);
}

TEST_F(ScannerJobOnPort, FailedOpenLeavesTheSerialErrorAndItsText) {
  EXPECT_EQ(job.OpenDevice(testing::PtyDevice::MissingPort(), nullptr), 0);
  EXPECT_EQ(job.GetErrorCode(), TE_NOPORT);
  EXPECT_EQ(job.GetErrorMessage(), "Port szeregowy o danym numerze nie istnieje");
}

TEST_F(ScannerJobOnPort, WithoutSerialObjectNothingIsOpened) {
  job.SetComm(nullptr);
  job.SetError(0, "");
  EXPECT_EQ(job.OpenDevice(device.Port(), nullptr), 0);
  EXPECT_EQ(job.GetErrorCode(), 0);
}

}  // namespace
}  // namespace zelvane
