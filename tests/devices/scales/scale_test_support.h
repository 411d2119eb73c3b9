#pragma once

#include <gtest/gtest.h>

#include <string>

#include "buffers/chr_arr.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane::testing {

inline std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

// A scale played on the master of a pseudo-terminal (under Wine: the runner's COM
// pair), with the dumps going to a directory of the test's own.
class ScaleLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << kNeedsRunner;
    ASSERT_TRUE(device.IsReady()) << device.Error();
  }

  // Sends the bytes and gives them time to cross the line.
  void Send(const std::string& bytes) {
    ASSERT_TRUE(device.Write(bytes));
    serial.Pause(0.05);
  }

  // The next dump of the kind goes to file 0.
  void RewindDumps(DumpKind kind) { RewindDumpRing(kind, temp); }
  std::optional<std::string> Dump(DumpKind kind, int number) const {
    return temp.Read(DumpName(kind, number));
  }

  TempDirectoryOverride temp;
  MessageRecorder messages;
  PtyDevice device;
  CVeduvezid serial;
};

// The same with a scale protocol opened on the line for each test.
template <class Scale>
class OpenScaleTest : public ScaleLineTest {
 protected:
  void SetUp() override {
    ScaleLineTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    scale.SetComm(&serial);
    ASSERT_EQ(scale.Open(device.Port()), 1) << scale.GetError();
  }
  void TearDown() override { scale.Close(); }

  Scale scale;
};

}  // namespace zelvane::testing
