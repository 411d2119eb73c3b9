// Price checkers through the exported interface: the library starts the service
// library found beside it, terminals played by the test scan over loopback, and the
// host answers every code it receives from its price list.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "host/exports/forwarding_switch.h"
#include "host/exports/host_events.h"
#include "host/exports/price_service_setup.h"
#include "sockets.h"
#include "terminal_link.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using testing::HostEvents;
using testing::kForwarding;
using Notice = HostEvents::Notice;
using Screen = std::vector<std::string>;

constexpr const char* kLibraryStem = kForwarding ? "zelvane_forwarding" : "zelvane_direct";
constexpr int32_t kPriceChecker = 702;
// The protocol base's text for error code 0, which a failed start leaves.
constexpr const char* kTextOfCodeZero = "System kas fiskalnych - Vask v1.0";
const std::string kPriceLine = "CENA" + std::string(9, ' ') + "12.50z\x88";

struct Article {
  std::string name;
  double price;
};

// The host's price list, code page 1250; a code it does not list gets an empty name,
// and "silent" no answer at all.
const std::map<std::string, Article> kPriceList = {
    {"5901234123457", {"Kawa ziarnista Arabica 1kg", 12.5}},  // 26 characters
    {"2000000000015", {"Mleko", 12.5}},
    {"5900000000001", {"\xAF\xF3\xB3\xE6 \xB3\xB9kowa", 3.0}},  // "Żółć łąkowa"
};

void Answer(const std::string& code) {
  HostLineRecord record{};
  std::snprintf(record.code, sizeof record.code, "%s", code.c_str());
  const auto found = kPriceList.find(code);
  if (found != kPriceList.end()) {
    std::snprintf(record.name, sizeof record.name, "%s", found->second.name.c_str());
    record.price = found->second.price;
  }
  ScanerSetBarCodeInfo(&record);
}

// A slow host: "silent" is answered only with the next code, too late.
std::string g_lateCode;

void ZELVANE_CALL AnswerFromPriceList(const char* code) {
  HostEvents::OnCode(code);
  if (std::string(code) == "silent") {
    g_lateCode = code;
    return;
  }
  if (!g_lateCode.empty()) Answer(std::exchange(g_lateCode, std::string()));
  Answer(code);
}

class PriceCheckerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lateCode.clear();
    port = testing::FreeLoopbackPort();
    ASSERT_NE(port, 0);
    testing::SetServiceAddress("127.0.0.1:" + std::to_string(port));
    ScanerDelete();
    ASSERT_EQ(ScanerCreate(nullptr), 1);
  }

  void TearDown() override {
    if (runs.AnyPending()) {
      EXPECT_GE(runs.BreakAndWait(testing::kRunEndLimit), 0) << "a run of this test did not end";
    }
    ScanerDelete();
    EXPECT_EQ(events.Messages(), std::vector<std::string>{}) << "no message box is expected";
  }

  int32_t Start() {
    RunRequest request{};
    request.device = kPriceChecker;
    return runs.Count([&] { return ScanerRun(&request, &AnswerFromPriceList); });
  }

  void BreakAndWait() { ASSERT_GE(runs.BreakAndWait(testing::kRunEndLimit), 0); }

  // A terminal from a loopback address of its own, 127.0.0.<number>.
  spr_lan::TerminalLink Terminal(int number = 2) {
    spr_lan::TerminalLink link;
    std::string error;
    EXPECT_TRUE(link.Connect({"127.0.0.1", port}, error, "127.0.0." + std::to_string(number)))
        << error;
    return link;
  }

  Screen ScanAndRead(spr_lan::TerminalLink& terminal, const std::string& code) {
    EXPECT_TRUE(terminal.SendCode(code));
    return spr_lan::ScreenLines(terminal.Receive(2s).bytes);
  }

  HostEvents events;
  testing::StartedRuns runs{events};
  std::uint16_t port = 0;
};

TEST_F(PriceCheckerRun, TerminalShowsTheHostsAnswers) {
  ASSERT_EQ(Start(), 1);
  spr_lan::TerminalLink terminal = Terminal();
  struct Case {
    const char* code;
    Screen screen;
  };
  const std::vector<Case> cases = {
      {"5901234123457", {"Kawa ziarnista Arabi", kPriceLine}},
      {"2000000000015", {"Mleko", kPriceLine}},
      // "Żółć łąkowa" in code page 852.
      {"5900000000001",
       {"\xBD\xA2\x88\x86 \x88\xA5kowa", "CENA" + std::string(10, ' ') + "3.00z\x88"}},
      {"1111111111111", {"NIE ZNALEZIONO KODU"}},
  };
  for (const Case& test : cases)
    EXPECT_EQ(ScanAndRead(terminal, test.code), test.screen) << test.code;
  // A code longer than 20 reaches the host cut to 20.
  ScanAndRead(terminal, "123456789012345678901234567890");
  EXPECT_EQ(events.Codes(),
            (std::vector<std::string>{"5901234123457", "2000000000015", "5900000000001",
                                      "1111111111111", "12345678901234567890"}));
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11}));
  EXPECT_TRUE(terminal.Receive(1s).closed) << "the stop closes the terminals' connections";
}

TEST_F(PriceCheckerRun, TwoTerminalsScanningAtOnceAreBothAnswered) {
  ASSERT_EQ(Start(), 1);
  spr_lan::TerminalLink first = Terminal(2);
  spr_lan::TerminalLink second = Terminal(3);
  ASSERT_TRUE(first.SendCode("2000000000015"));
  ASSERT_TRUE(second.SendCode("5901234123457"));
  EXPECT_EQ(spr_lan::ScreenLines(first.Receive(3s).bytes), (Screen{"Mleko", kPriceLine}));
  EXPECT_EQ(spr_lan::ScreenLines(second.Receive(3s).bytes),
            (Screen{"Kawa ziarnista Arabi", kPriceLine}));
  // Nothing scanned: the polls find nothing and the host is not called.
  std::this_thread::sleep_for(1200ms);
  EXPECT_EQ(events.Codes().size(), 2u);
}

TEST_F(PriceCheckerRun, UnansweredScanClearsTheDisplayAfterFiveSeconds) {
  if (kForwarding) GTEST_SKIP() << "the switch does not touch the price checker; one variant waits";
  ASSERT_EQ(Start(), 1);
  spr_lan::TerminalLink terminal = Terminal();
  const auto scanned = std::chrono::steady_clock::now();
  ASSERT_TRUE(terminal.SendCode("silent"));
  const spr_lan::TerminalLink::Received received = terminal.Receive(8s);
  EXPECT_EQ(received.bytes, "\x1B%");
  const auto waited = received.firstByte - scanned;
  EXPECT_GE(waited, 4500ms);
  EXPECT_LT(waited, 6500ms);

  // The host answers the code after its wait ran out, while another terminal's code
  // waits: that terminal shows its own article, not the late one.
  spr_lan::TerminalLink other = Terminal(3);
  EXPECT_EQ(ScanAndRead(other, "2000000000015"), (Screen{"Mleko", kPriceLine}));
  EXPECT_EQ(events.Codes(), (std::vector<std::string>{"silent", "2000000000015"}));
}

TEST_F(PriceCheckerRun, SecondRunStartsTheServiceAgain) {
  ASSERT_EQ(Start(), 1);
  // A terminal connected across the stop: the stop closes its connection, and the
  // next run listens on the same port at once.
  spr_lan::TerminalLink connected = Terminal();
  EXPECT_EQ(ScanAndRead(connected, "2000000000015"), (Screen{"Mleko", kPriceLine}));
  BreakAndWait();
  EXPECT_TRUE(connected.Receive(1s).closed);
  ASSERT_EQ(Start(), 1);
  spr_lan::TerminalLink terminal = Terminal();
  EXPECT_EQ(ScanAndRead(terminal, "2000000000015"), (Screen{"Mleko", kPriceLine}));
  BreakAndWait();
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 10, 11, 1, 10, 11}));
}

TEST_F(PriceCheckerRun, PortInUseRefusesTheRun) {
  std::string error;
  const spr_lan::net::Socket taken = spr_lan::net::OpenListener({"127.0.0.1", port}, error);
  ASSERT_NE(taken, spr_lan::net::kNoSocket) << error;
  EXPECT_EQ(Start(), 0);
  spr_lan::net::CloseSocket(taken);
  EXPECT_EQ(
      events.Notices(),
      (std::vector<Notice>{{1, "", 0, 0}, {6, kTextOfCodeZero, 0, 0}, {8, kTextOfCodeZero, 0, 0}}));
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), 999999);
  }
  EXPECT_EQ(Start(), 1) << "with the port free again the run starts";
}

TEST_F(PriceCheckerRun, MissingServiceRefusesTheRun) {
  std::string error;
  const platform::LibraryHandle alone = testing::LoadLibraryCopyWithoutService(kLibraryStem, error);
  ASSERT_NE(alone, nullptr) << error;
  const auto find = [&](const char* name) { return platform::FindSymbol(alone, name); };
  const auto create = reinterpret_cast<decltype(&ScanerCreate)>(find("ScanerCreate"));
  const auto run = reinterpret_cast<decltype(&ScanerRun)>(find("ScanerRun"));
  const auto errorCode = reinterpret_cast<decltype(&ScanerError)>(find("ScanerError"));
  const auto observe =
      reinterpret_cast<decltype(&ZelvaneSetStatusObserver)>(find("ZelvaneSetStatusObserver"));
  ASSERT_TRUE(create && run && errorCode && observe);

  observe(&HostEvents::OnNotice);
  ASSERT_EQ(create(nullptr), 1);
  RunRequest request{};
  request.device = kPriceChecker;
  EXPECT_EQ(run(&request, &AnswerFromPriceList), 0);
  observe(nullptr);
  EXPECT_EQ(
      events.Notices(),
      (std::vector<Notice>{{1, "", 0, 0}, {6, kTextOfCodeZero, 0, 0}, {8, kTextOfCodeZero, 0, 0}}));
  if (!kForwarding) {
    EXPECT_EQ(errorCode(), 999999);
  }
}

}  // namespace
}  // namespace zelvane
