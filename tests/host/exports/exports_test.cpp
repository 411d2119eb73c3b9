// The exported interface as a host sees it: the test links the shared library and
// includes nothing but the public header. Built once per value of ForwardToOndrell.
#include <gtest/gtest.h>

#include <string>

#include "zelvane.h"

namespace {

constexpr bool kForwarding = ZELVANE_TEST_EXPECTS_FORWARDING != 0;
constexpr const char* kCreateFailed = "Failed to create OLE ECR Control";
// Ondrell's text for a run it cannot serve, code page 1250.
constexpr const char* kOndrellNoDevices =
    "Brak urz\xB9"
    "dze\xF1 drugiej generacji";

std::string LastErrorText() {
  const char* text = ScanerErrMsg();
  return text != nullptr ? text : "<null>";
}

void ZELVANE_CALL IgnoreCode(const char*) {}

// What the exports answer before the first ScanerCreate of the process, seen before
// any test runs.
struct FreshLibrary : ::testing::Environment {
  void SetUp() override {
    HostLineRecord record{};
    barCodeInfo = ScanerSetBarCodeInfo(&record);
    breakJob = ScanerBreakJob();
  }
  static inline int32_t barCodeInfo = -1;
  static inline int32_t breakJob = -1;
};
const auto* const g_freshLibrary = ::testing::AddGlobalTestEnvironment(new FreshLibrary);

TEST(FreshLibrary, WithoutACreateThereIsNoJobToAddress) {
  EXPECT_EQ(FreshLibrary::barCodeInfo, 0);
  EXPECT_EQ(FreshLibrary::breakJob, 0);
}

class Exports : public ::testing::Test {
 protected:
  void SetUp() override { ScanerDelete(); }
  void TearDown() override { ScanerDelete(); }

  static RunRequest Request(int32_t device) {
    RunRequest request{};
    request.device = device;
    request.port = 1;
    return request;
  }
};

TEST_F(Exports, SecondCreateFailsUntilDeleted) {
  EXPECT_EQ(ScanerCreate(nullptr), 1);
  EXPECT_EQ(ScanerCreate(nullptr), 0);
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), 999999);
    EXPECT_EQ(LastErrorText(), kCreateFailed);
  }
  EXPECT_EQ(ScanerDelete(), 1);
  EXPECT_EQ(ScanerCreate(nullptr), 1);
}

TEST_F(Exports, DeleteAlwaysSucceeds) {
  EXPECT_EQ(ScanerDelete(), 1);
  EXPECT_EQ(ScanerDelete(), 1);
}

TEST_F(Exports, UnknownDeviceCodesAreRefused) {
  ASSERT_EQ(ScanerCreate(nullptr), 1);
  for (int32_t code : {0, 399, 406, 499, 502, 505, 599, 603, 701, 703, -1}) {
    const RunRequest request = Request(code);
    EXPECT_EQ(ScanerRun(&request, &IgnoreCode), 0) << code;
  }
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), 999999);
  }
}

TEST_F(Exports, BadPointersFailCleanly) {
  EXPECT_EQ(ScanerBreakJob(), 0);
  EXPECT_EQ(ScanerRun(nullptr, &IgnoreCode), 0);
  EXPECT_EQ(ScanerSetBarCodeInfo(nullptr), 0);
  ASSERT_EQ(ScanerCreate(nullptr), 1);
  EXPECT_EQ(ScanerRun(nullptr, nullptr), 0);
  EXPECT_EQ(ScanerSetBarCodeInfo(nullptr), 0);
  EXPECT_EQ(ScanerBreakJob(), 0);
  EXPECT_NE(ScanerErrMsg(), nullptr);
}

TEST_F(Exports, HostMayPassNineWordsForNonCollectorCodes) {
  // Only nine words exist; word 9 must not be read for a scanner or scale code.
  int32_t nineWords[9] = {406, 1, 9600, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(ScanerRun(reinterpret_cast<const RunRequest*>(nineWords), &IgnoreCode), 0);
}

TEST_F(Exports, ErrorQueriesFollowTheForwardingSwitch) {
  ASSERT_EQ(ScanerCreate(nullptr), 1);
  const RunRequest request = Request(406);
  ASSERT_EQ(ScanerRun(&request, &IgnoreCode), 0);
  if (kForwarding) {
    // Ondrell answers: its own error is untouched by the library's failed run.
    EXPECT_EQ(ScanerError(), 0);
    EXPECT_EQ(LastErrorText(), "");
    EXPECT_EQ(Scaner2XRun(3, 4), 0);
    EXPECT_EQ(ScanerError(), 999999);
    EXPECT_EQ(LastErrorText(), kOndrellNoDevices);
    EXPECT_EQ(Scaner2XBreakJob(1), 0);
  } else {
    EXPECT_EQ(ScanerError(), 999999);
    EXPECT_EQ(Scaner2XRun(3, 4), 0);
    EXPECT_EQ(Scaner2XBreakJob(1), 0);
    EXPECT_EQ(ScanerError(), 999999);
  }
}

}  // namespace
