// The service on loopback with terminals played by the test, each from a loopback
// address of its own as on a shop's network: answers reach the terminal that scanned,
// scans are answered one at a time, only admitted terminals get in, and nothing a
// client sends keeps the service from serving others or from stopping.
#include "price_check_service.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "terminal_link.h"

namespace spr_lan {
namespace {

using namespace std::chrono_literals;
using Lines = std::vector<std::string>;

// The played host: answers "N<code>" on one line after a short pause, records each
// code as it is asked, and checks that no two requests overlap.
std::mutex g_lock;
std::condition_variable g_askedMore;
std::vector<std::string> g_asked;
std::atomic<int> g_inside{0};
std::atomic<bool> g_overlapped{false};
std::atomic<int> g_pauseMs{0};

int32_t SPR_LAN_CALL AnswerFromList(int32_t, const char* code, char* display, int32_t* kind,
                                    int32_t* second, char* copy) {
  if (g_inside.fetch_add(1) != 0) g_overlapped = true;
  {
    const std::lock_guard<std::mutex> hold(g_lock);
    g_asked.emplace_back(code);
    g_askedMore.notify_all();
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(g_pauseMs.load()));
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

// Waits until the host is being asked about `code`.
bool WaitUntilAsked(const std::string& code) {
  std::unique_lock<std::mutex> hold(g_lock);
  return g_askedMore.wait_for(
      hold, 10s, [&] { return std::find(g_asked.begin(), g_asked.end(), code) != g_asked.end(); });
}

// The events the service wrote down.
class RecordedTrace final : public ServiceTrace {
 public:
  void Write(std::string_view event) override {
    const std::lock_guard<std::mutex> hold(m_lock);
    m_events.emplace_back(event);
  }
  std::vector<std::string> Events() {
    const std::lock_guard<std::mutex> hold(m_lock);
    return m_events;
  }

 private:
  std::mutex m_lock;
  std::vector<std::string> m_events;
};

class ServiceOnLoopback : public ::testing::Test {
 protected:
  void SetUp() override {
    g_asked.clear();
    g_overlapped = false;
    g_pauseMs = 0;
    Restart({});
  }

  void Restart(const AdmissionRules& rules) {
    service.Stop();
    const PriceCheckService::Outcome outcome =
        service.Start({"127.0.0.1", 0}, &AnswerFromList, rules);
    ASSERT_EQ(outcome.status, SPR_LAN_LISTENING) << outcome.message;
    address = {"127.0.0.1", service.Port()};
  }

  // A terminal connecting from the loopback address `from`.
  TerminalLink Terminal(const std::string& from) {
    TerminalLink link;
    std::string error;
    EXPECT_TRUE(link.Connect(address, error, from)) << error;
    return link;
  }

  // The screen a terminal shows after scanning `code`.
  Lines ScanAndRead(TerminalLink& link, const std::string& code) {
    EXPECT_TRUE(link.SendCode(code));
    return ScreenLines(link.Receive(3s).bytes);
  }

  RecordedTrace trace;
  PriceCheckService service{trace};
  ListenAddress address;
};

TEST_F(ServiceOnLoopback, TerminalsScanningTogetherEachGetTheirOwnAnswerInTurn) {
  g_pauseMs = 50;
  std::vector<TerminalLink> terminals;
  for (int i = 0; i < 4; ++i) terminals.push_back(Terminal("127.0.0." + std::to_string(10 + i)));
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(terminals[i].SendCode("code" + std::to_string(i)));
  for (int i = 0; i < 4; ++i) {
    const std::string code = "code" + std::to_string(i);
    EXPECT_EQ(ScreenLines(terminals[i].Receive(3s).bytes), (Lines{"N" + code, "CENA 1.00"}));
  }
  EXPECT_FALSE(g_overlapped.load()) << "requests are served one at a time";
  EXPECT_EQ(Asked().size(), 4u);

  // A terminal scanning twice while the host is busy with another: its first scan is
  // answered with a cleared display, its second with the host's answer.
  g_pauseMs = 300;
  ASSERT_TRUE(terminals[1].SendCode("busy"));
  ASSERT_TRUE(WaitUntilAsked("busy"));
  ASSERT_TRUE(terminals[0].Send("first\r\nsecond\n"));
  EXPECT_EQ(terminals[0].Receive(3s, 1s).bytes, "\x1B%\x1B%Nsecond\rCENA 1.00");
  const std::vector<std::string> asked = Asked();
  EXPECT_EQ(std::count(asked.begin(), asked.end(), "first"), 0) << "never put to the host";
}

TEST_F(ServiceOnLoopback, BadClientsNeitherBlockOthersNorGrowWithoutBound) {
  // A megabyte line is cut, not lost; control bytes are left out of a code. (The
  // played host's answer is then 40 bytes without a line feed.)
  TerminalLink noisy = Terminal("127.0.0.2");
  ASSERT_TRUE(noisy.Send(std::string(1 << 20, '7'), 5s));
  ASSERT_TRUE(noisy.Send("\n"));
  EXPECT_EQ(noisy.Receive(3s).bytes, "\x1B%N" + std::string(19, '7') + "\r" + std::string(20, '7'));
  ASSERT_TRUE(noisy.Send(std::string("\x00\xFF\x1B\x02", 4) + "12\r\n"));
  EXPECT_EQ(noisy.Receive(3s).bytes,
            "\x1B%N\xFF"
            "12\rCENA 1.00");

  // A client that scans without end and never reads, one that drops mid-answer, and a
  // crowd of connections beyond the limit, four from each of 250 addresses.
  TerminalLink flooder = Terminal("127.0.0.3");
  std::string scans;
  for (int i = 0; i < 2000; ++i) scans += "F\n";
  flooder.Send(scans, 200ms);
  {
    TerminalLink dropper = Terminal("127.0.0.4");
    ASSERT_TRUE(dropper.SendCode("gone"));
  }
  std::vector<TerminalLink> crowd;
  for (int i = 0; i < 1000; ++i) {
    TerminalLink link;
    std::string error;
    if (link.Connect(address, error, "127.0.1." + std::to_string(1 + i / 4))) {
      crowd.push_back(std::move(link));
    }
  }
  EXPECT_EQ(crowd.size(), 1000u);

  TerminalLink patient = Terminal("127.0.0.5");
  const std::size_t askedBefore = Asked().size();
  EXPECT_EQ(ScanAndRead(patient, "590"), (Lines{"N590", "CENA 1.00"}));
  std::size_t letGo = 0;
  for (TerminalLink& link : crowd) letGo += link.Receive(0ms).closed ? 1 : 0;
  EXPECT_GE(letGo, crowd.size() - PriceCheckService::kMaxConnections)
      << "idle connections beyond the limit are let go";
  EXPECT_TRUE(noisy.SendCode("still"));
  EXPECT_EQ(ScreenLines(noisy.Receive(3s).bytes), (Lines{"Nstill", "CENA 1.00"}))
      << "a terminal that scanned keeps its place";
  // However long the rest took, the flooder's scans asked between the patient's scan
  // and its answer are one at most: the flooder has only its newest scan waiting, and
  // the patient's turn comes before the flooder's next.
  const std::vector<std::string> asked = Asked();
  const auto since = asked.begin() + static_cast<std::ptrdiff_t>(askedBefore);
  const auto patientAt = std::find(since, asked.end(), "590");
  ASSERT_NE(patientAt, asked.end());
  EXPECT_LE(std::count(since, patientAt, "F"), 1) << "the flooder went ahead once at most";
}

// Admission: a stranger is shut out before it can send a byte and is written to the
// trace; an address beyond its share replaces its own oldest connection.
TEST_F(ServiceOnLoopback, OnlyAdmittedTerminalsGetIn) {
  AdmissionRules rules;
  rules.allow = *ParseAllowList("127.0.0.2,127.0.0.8/30");
  rules.perAddress = 2;
  Restart(rules);

  for (int attempt = 0; attempt < 2; ++attempt) {
    TerminalLink stranger = Terminal("127.0.0.20");
    ASSERT_TRUE(stranger.SendCode("1"));
    const TerminalLink::Received refused = stranger.Receive(3s);
    EXPECT_TRUE(refused.closed);
    EXPECT_EQ(refused.bytes, "");
  }
  EXPECT_EQ(Asked(), std::vector<std::string>{}) << "nothing a stranger sent was read";
  ASSERT_EQ(trace.Events().size(), 1u) << "an address that keeps trying is written down once";
  EXPECT_EQ(trace.Events()[0].rfind("refused a connection from 127.0.0.20,", 0), 0u)
      << trace.Events()[0];

  std::vector<TerminalLink> router;
  for (int i = 0; i < 3; ++i) router.push_back(Terminal("127.0.0.2"));
  TerminalLink other = Terminal("127.0.0.11");
  EXPECT_EQ(ScanAndRead(other, "1"), (Lines{"N1", "CENA 1.00"})) << "all three are accepted now";
  EXPECT_TRUE(router[0].Receive(3s).closed) << "the oldest of the address made way";
  EXPECT_EQ(ScanAndRead(router[1], "2"), (Lines{"N2", "CENA 1.00"}));
  EXPECT_EQ(ScanAndRead(router[2], "3"), (Lines{"N3", "CENA 1.00"}));
  EXPECT_EQ(trace.Events().size(), 1u) << "replacing a connection is no refusal";
}

TEST_F(ServiceOnLoopback, HalfClosedTerminalStillGetsItsAnswer) {
  TerminalLink terminal = Terminal("127.0.0.2");
  ASSERT_TRUE(terminal.SendCode("last"));
  terminal.ShutSending();
  const TerminalLink::Received received = terminal.Receive(3s);
  EXPECT_EQ(ScreenLines(received.bytes), (Lines{"Nlast", "CENA 1.00"}));
  EXPECT_TRUE(received.closed) << "then the service closes its side";
}

TEST_F(ServiceOnLoopback, StopAnswersAndClosesEveryConnectionWithinASecond) {
  g_pauseMs = 300;
  std::vector<TerminalLink> terminals;
  for (int i = 0; i < 5; ++i) terminals.push_back(Terminal("127.0.0." + std::to_string(20 + i)));
  ASSERT_TRUE(terminals[0].SendCode("inflight"));
  ASSERT_TRUE(WaitUntilAsked("inflight"));
  const auto start = std::chrono::steady_clock::now();
  service.Stop();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  const TerminalLink::Received answered = terminals[0].Receive(1s);
  EXPECT_EQ(ScreenLines(answered.bytes), (Lines{"Ninflight", "CENA 1.00"}))
      << "the scan being asked is answered before the close";
  EXPECT_TRUE(answered.closed);
  for (TerminalLink& terminal : terminals) EXPECT_TRUE(terminal.Receive(1s).closed);
  TerminalLink late;
  std::string error;
  EXPECT_FALSE(late.Connect(address, error)) << "nobody listens any more";

  // The same port can be listened on again at once.
  ASSERT_EQ(service.Start(address, &AnswerFromList).status, SPR_LAN_LISTENING);
  g_pauseMs = 0;
  TerminalLink again = Terminal("127.0.0.20");
  EXPECT_EQ(ScanAndRead(again, "1"), (Lines{"N1", "CENA 1.00"}));
}

TEST_F(ServiceOnLoopback, StartReportsWhyItDoesNotListen) {
  EXPECT_EQ(service.Start(address, &AnswerFromList).status, SPR_LAN_ALREADY_RUNNING);
  PriceCheckService second{trace};
  const PriceCheckService::Outcome taken = second.Start(address, &AnswerFromList);
  EXPECT_EQ(taken.status, SPR_LAN_CANNOT_LISTEN);
  EXPECT_NE(taken.message.find("cannot listen on 127.0.0.1:"), std::string::npos) << taken.message;
  EXPECT_EQ(second.Start({"127.0.0.1", 0}, nullptr).status, SPR_LAN_NO_RESOURCES);
  EXPECT_FALSE(second.IsRunning());
}

}  // namespace
}  // namespace spr_lan
