// The service on loopback with terminals played by the test: answers reach the
// terminal that scanned, scans are answered one at a time in order, and nothing a
// client sends keeps the service from serving others or from stopping.
#include "price_check_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "terminal_link.h"

namespace spr_lan {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The played host: answers "N<code>" on one line after a short pause, and checks
// that no two requests overlap.
std::mutex g_lock;
std::vector<std::string> g_asked;
std::atomic<int> g_inside{0};
std::atomic<bool> g_overlapped{false};
std::atomic<int> g_pauseMs{0};

int32_t SPR_LAN_CALL AnswerFromList(int32_t, const char* code, char* display, int32_t* kind,
                                    int32_t* second, char* copy) {
  if (g_inside.fetch_add(1) != 0) g_overlapped = true;
  std::this_thread::sleep_for(std::chrono::milliseconds(g_pauseMs.load()));
  {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_asked.emplace_back(code);
  }
  const std::string text = std::string("N") + code + "\nCENA 1.00";
  std::snprintf(display, SPR_LAN_DISPLAY_SIZE, "%s", text.c_str());
  std::snprintf(copy, SPR_LAN_DISPLAY_SIZE, "%s", text.c_str());
  *kind = 1;
  *second = 5;
  g_inside.fetch_sub(1);
  return 0;
}

std::vector<std::string> Asked() {
  const std::lock_guard<std::mutex> hold(g_lock);
  return g_asked;
}

class ServiceOnLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    g_asked.clear();
    g_overlapped = false;
    g_pauseMs = 0;
    const PriceCheckService::Outcome outcome = service.Start({"127.0.0.1", 0}, &AnswerFromList);
    ASSERT_EQ(outcome.status, SPR_LAN_LISTENING) << outcome.message;
    address = {"127.0.0.1", service.Port()};
  }

  TerminalLink Terminal() {
    TerminalLink link;
    std::string error;
    EXPECT_TRUE(link.Connect(address, error)) << error;
    return link;
  }

  // The screen a terminal shows after scanning `code`.
  std::vector<std::string> ScanAndRead(TerminalLink& link, const std::string& code) {
    EXPECT_TRUE(link.SendCode(code));
    return ScreenLines(link.Receive(3s).bytes);
  }

  PriceCheckService service;
  ListenAddress address;
};

TEST_F(ServiceOnLoopback, TerminalsScanningTogetherEachGetTheirOwnAnswerInTurn) {
  g_pauseMs = 50;
  std::vector<TerminalLink> terminals;
  for (int i = 0; i < 4; ++i) terminals.push_back(Terminal());
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(terminals[i].SendCode("code" + std::to_string(i)));
  for (int i = 0; i < 4; ++i) {
    const std::string code = "code" + std::to_string(i);
    EXPECT_EQ(ScreenLines(terminals[i].Receive(3s).bytes),
              (std::vector<std::string>{"N" + code, "CENA 1.00"}));
  }
  EXPECT_FALSE(g_overlapped.load()) << "requests are served one at a time";
  EXPECT_EQ(Asked().size(), 4u);

  // One terminal scanning twice is answered twice, in order.
  ASSERT_TRUE(terminals[0].Send("first\r\nsecond\n"));
  const std::string both = terminals[0].Receive(3s, 300ms).bytes;
  EXPECT_EQ(both, "\x1B%Nfirst\rCENA 1.00\x1B%Nsecond\rCENA 1.00");
}

TEST_F(ServiceOnLoopback, BadClientsNeitherBlockOthersNorGrowWithoutBound) {
  // A megabyte line is cut, not lost; control bytes are left out of a code. (The
  // played host's answer is then 40 bytes without a line feed.)
  TerminalLink noisy = Terminal();
  ASSERT_TRUE(noisy.Send(std::string(1 << 20, '7'), 5s));
  ASSERT_TRUE(noisy.Send("\n"));
  EXPECT_EQ(noisy.Receive(3s).bytes, "\x1B%N" + std::string(19, '7') + "\r" + std::string(20, '7'));
  ASSERT_TRUE(noisy.Send(std::string("\x00\xFF\x1B\x02", 4) + "12\r\n"));
  EXPECT_EQ(noisy.Receive(3s).bytes,
            "\x1B%N\xFF"
            "12\rCENA 1.00");

  // A client that scans without end and never reads, one that drops mid-answer, and a
  // crowd of connections beyond the limit.
  TerminalLink flooder = Terminal();
  std::string scans;
  for (int i = 0; i < 2000; ++i) scans += "F\n";
  flooder.Send(scans, 200ms);
  {
    TerminalLink dropper = Terminal();
    ASSERT_TRUE(dropper.SendCode("gone"));
  }
  std::vector<TerminalLink> crowd;
  for (int i = 0; i < 1000; ++i) {
    TerminalLink link;
    std::string error;
    if (link.Connect(address, error)) crowd.push_back(std::move(link));
  }
  EXPECT_EQ(crowd.size(), 1000u);

  TerminalLink patient = Terminal();
  const std::size_t askedBefore = Asked().size();
  EXPECT_EQ(ScanAndRead(patient, "590"), (std::vector<std::string>{"N590", "CENA 1.00"}));
  std::size_t letGo = 0;
  for (TerminalLink& link : crowd) letGo += link.Receive(0ms).closed ? 1 : 0;
  EXPECT_GE(letGo, crowd.size() - PriceCheckService::kMaxConnections)
      << "idle connections beyond the limit are let go";
  EXPECT_TRUE(noisy.SendCode("still"));
  EXPECT_EQ(ScreenLines(noisy.Receive(3s).bytes), (std::vector<std::string>{"Nstill", "CENA 1.00"}))
      << "a terminal that scanned keeps its place";
  // However long the rest took, the flooder's scans asked between the patient's scan
  // and its answer are at most its waiting share and the one being asked.
  const std::vector<std::string> asked = Asked();
  const auto since = asked.begin() + static_cast<std::ptrdiff_t>(askedBefore);
  const auto patientAt = std::find(since, asked.end(), "590");
  ASSERT_NE(patientAt, asked.end());
  EXPECT_LE(std::count(since, patientAt, "F"), static_cast<long>(ScanQueue::kPerConnection) + 1)
      << "the flooder never had more than its share waiting ahead of others";
}

TEST_F(ServiceOnLoopback, StopClosesEveryConnectionWithinASecond) {
  g_pauseMs = 300;
  std::vector<TerminalLink> terminals;
  for (int i = 0; i < 5; ++i) terminals.push_back(Terminal());
  ASSERT_TRUE(terminals[0].SendCode("inflight"));
  std::this_thread::sleep_for(100ms);
  const auto start = Clock::now();
  service.Stop();
  EXPECT_LT(Clock::now() - start, 1s);
  for (TerminalLink& terminal : terminals) EXPECT_TRUE(terminal.Receive(1s).closed);
  TerminalLink late;
  std::string error;
  EXPECT_FALSE(late.Connect(address, error)) << "nobody listens any more";

  // The same port can be listened on again at once.
  ASSERT_EQ(service.Start(address, &AnswerFromList).status, SPR_LAN_LISTENING);
  g_pauseMs = 0;
  TerminalLink again = Terminal();
  EXPECT_EQ(ScanAndRead(again, "1"), (std::vector<std::string>{"N1", "CENA 1.00"}));
}

TEST_F(ServiceOnLoopback, StartReportsWhyItDoesNotListen) {
  EXPECT_EQ(service.Start(address, &AnswerFromList).status, SPR_LAN_ALREADY_RUNNING);
  PriceCheckService second;
  const PriceCheckService::Outcome taken = second.Start(address, &AnswerFromList);
  EXPECT_EQ(taken.status, SPR_LAN_CANNOT_LISTEN);
  EXPECT_NE(taken.message.find("cannot listen on 127.0.0.1:"), std::string::npos) << taken.message;
  EXPECT_EQ(second.Start({"127.0.0.1", 0}, nullptr).status, SPR_LAN_NO_RESOURCES);
  EXPECT_FALSE(second.IsRunning());
}

}  // namespace
}  // namespace spr_lan
