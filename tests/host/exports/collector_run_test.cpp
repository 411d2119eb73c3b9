// Collector runs through the exported interface, with a terminal played on the other
// end of a pseudo-terminal: reading a CipherLab terminal's records (ZelvaneRunCollector
// mode 2), loading the host's lines (mode 3 and ScanerSetBarCodeInfo), the downloads of
// Denso BHT-6045 (503) and Casio DT-700 (505) terminals, terminals that misbehave, and
// the refusals of bad run modes.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "bht_terminal_simulator.h"
#include "cipherlab_terminal_simulator.h"
#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/cipherlab_frames.h"
#include "host/exports/device_run.h"
#include "host/exports/forwarding_switch.h"
#include "host/exports/host_events.h"
#include "jobs/notice_codes.h"
#include "support/held_output.h"
#include "support/scripted_responder.h"
#include "support/serial_test_support.h"
#include "zelvane.h"

namespace zelvane {
namespace {

using namespace std::chrono_literals;
using testing::HostEvents;
using testing::ScriptedResponder;
using Steps = std::vector<ScriptedResponder::Step>;
using Notices = std::vector<HostEvents::Notice>;

using testing::kForwarding;

constexpr int32_t kCipherLab = 500;
constexpr int32_t kCipherLabShort = 504;
constexpr int32_t kRadwag = 601;
constexpr int32_t kRead = 2;
constexpr int32_t kLoad = 3;
constexpr int kTimeout = -5;
constexpr int kBadReply = 23;

const std::string kAck = "ACK\r";
const std::string kNak = "NAK\r";
const std::string kOver = "OVER\r";

// Frames and blocks as the terminals send them, with the check values the simulators
// compute on their own, independently of the library's.
using devsim::BhtBlockWithCheck;
using devsim::TerminalFrame;

// The same frame with one bit of its text flipped on the line.
std::string Corrupted(int sequence, const std::string& text) {
  std::string frame = TerminalFrame(sequence, text);
  frame[2] = static_cast<char>(frame[2] ^ 0x04);
  return frame;
}

struct Line {
  std::string code;
  std::string name;
  double quantity;
  double price;
  bool operator==(const Line&) const = default;
};

void PrintTo(const Line& line, std::ostream* out) {
  *out << "{" << line.code << "|" << line.name << "|" << line.quantity << "|" << line.price << "}";
}

std::mutex g_linesLock;
std::vector<Line> g_lines;
bool g_otherBytesZero = true;

void ZELVANE_CALL OnRecord(HostLineRecord* record) {
  const std::lock_guard<std::mutex> hold(g_linesLock);
  g_lines.push_back({record->code, record->name, record->quantity, record->price});
  HostLineRecord blank{};
  std::memcpy(blank.code, record->code, sizeof blank.code);
  std::memcpy(blank.name, record->name, sizeof blank.name);
  blank.quantity = record->quantity;
  blank.price = record->price;
  g_otherBytesZero = g_otherBytesZero && std::memcmp(&blank, record, sizeof blank) == 0;
}

HostLineRecord HostLine(const std::string& code, const std::string& name, double quantity,
                        double price) {
  HostLineRecord line;
  std::memset(&line, 'x', sizeof line);  // the host's own bytes around the fields
  std::snprintf(line.code, sizeof line.code, "%s", code.c_str());
  std::snprintf(line.name, sizeof line.name, "%s", name.c_str());
  line.quantity = quantity;
  line.price = price;
  return line;
}

class CollectorRun : public testing::DeviceRun {
 protected:
  void SetUp() override {
    DeviceRun::SetUp();
    const std::lock_guard<std::mutex> hold(g_linesLock);
    g_lines.clear();
    g_otherBytesZero = true;
  }

  RunRequest Request(int32_t deviceCode) const {
    RunRequest request{};
    request.device = deviceCode;
    request.port = device.Port();
    request.baud = 115200;
    return request;
  }

  int32_t Collect(int32_t deviceCode, int32_t mode, RecordCallback onRecord,
                  HostLineRecord* records = nullptr, int32_t count = 0) {
    const RunRequest request = Request(deviceCode);
    return runs.Count(
        [&] { return ZelvaneRunCollector(&request, mode, onRecord, records, count); });
  }

  // Plays the terminal's script against a run in `mode` until the run closed; the
  // notices from the transfer's start (9) on.
  Notices Transfer(const Steps& script, int32_t deviceCode, int32_t mode,
                   HostLineRecord* records = nullptr, int32_t count = 0,
                   std::chrono::seconds limit = 5s) {
    // A terminal that leads the exchange must not speak before the port is open, whose
    // open drops what came before: it starts at this run's transfer notice, which
    // follows the open.
    const std::size_t before = events.NoticeCount();
    EXPECT_EQ(Collect(deviceCode, mode, &OnRecord, records, count), 1);
    if (!script.empty() && script.front().request.empty()) {
      EXPECT_TRUE(events.WaitForNotice(notice::kTransferStarts, testing::kRunEndLimit, 1, before));
    }
    ScriptedResponder terminal(device, script);
    EXPECT_TRUE(runs.WaitForEnds(limit));
    EXPECT_TRUE(terminal.WaitForSteps(script.size(), 2000)) << terminal.Received();
    EXPECT_TRUE(terminal.Mismatches().empty()) << terminal.Mismatches().front();
    // What the library sent after the last step (the end marker) may still be on its way.
    received = terminal.Received();
    for (int quiet = 0; quiet < 5; ++quiet) {
      std::this_thread::sleep_for(20ms);
      if (terminal.Received() != received) quiet = 0;
      received = terminal.Received();
    }
    Notices notices = events.Notices();
    while (!notices.empty() && notices.front().code != 9) notices.erase(notices.begin());
    return notices;
  }

  static std::vector<Line> Lines() {
    const std::lock_guard<std::mutex> hold(g_linesLock);
    return g_lines;
  }

  std::string received;
};

TEST_F(CollectorRun, ReadDeliversEveryRecordOnceAndIntact) {
  if (cipherlab::BuiltInCheckValue() != cipherlab::CheckValue::kVerified) {
    GTEST_SKIP() << "this build takes corrupted frames unchecked";
  }
  const std::string milk = "Mleko 3.2%,5901234,5,1250";
  const std::string cheese = "Ser,5907,2.5";
  const std::string comma = ",590,4,100";
  const Notices notices = Transfer(
      {
          {"READ\r", kNak},
          {"READ\r", kNak},
          {"READ\r", kAck + TerminalFrame(1, milk)},
          // The terminal missed the ACK and sends the record again: it is ignored.
          {kAck, TerminalFrame(1, milk) + Corrupted(2, cheese)},
          {kNak, TerminalFrame(2, cheese)},
          // Rejected frames: 4 bytes, a digit as sequence byte, 255 bytes without CR.
          {kAck, std::string("\x03"
                             "AB\r",
                             4)},
          {kNak, "3" + TerminalFrame(3, comma).substr(1)},
          {kNak, TerminalFrame(3, comma)},
          {kAck, std::string(255, '7')},
          {kNak, kOver + kOver},
      },
      // 255 bytes without CR overflow the line at once, unless they come so slowly
      // that its time limit passes first; either way they are answered NAK.
      kCipherLab, kRead, nullptr, 0, 10s);
  EXPECT_EQ(Lines(), (std::vector<Line>{{"5901234", "Mleko 3.2%", 5.0, 12.5},
                                        {"5907", "Ser", 2.5, 0.0},
                                        {"590", ",590,4,100", 4.0, 1.0}}));
  EXPECT_TRUE(g_otherBytesZero);
  EXPECT_EQ(notices, (Notices{{9, "", 0, 0},
                              {5, "5901234", 10, 0},
                              {5, "5907", 20, 0},
                              {5, "590", 30, 0},
                              {10, "", 0, 0},
                              {11, "", 0, 0}}));
}

TEST_F(CollectorRun, ProgressCountsTensAndWrapsToZeroAtTheTenthRecord) {
  // Sequence bytes alternate, as a terminal's do, so that none is taken for a repeat.
  Steps script{{"READ\r", kAck + TerminalFrame(0, "1")}};
  for (int i = 1; i < 11; ++i)
    script.push_back({kAck, TerminalFrame(i % 2, std::to_string(i + 1))});
  script.push_back({kAck, kOver + kOver});
  std::vector<int> progress;
  for (const HostEvents::Notice& notice : Transfer(script, kCipherLabShort, kRead)) {
    if (notice.code == 5) progress.push_back(notice.first);
  }
  EXPECT_EQ(progress, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 0, 10}));
}

TEST_F(CollectorRun, ShortRecordsCountOneWhenTheQuantityIsMissingOrZero) {
  Transfer({{"READ\r", kAck + TerminalFrame(0, "5901234")},
            {kAck, TerminalFrame(1, "5901235,0")},
            {kAck, TerminalFrame(2, "5901236,3,ignored")},
            {kAck, kOver + kOver}},
           kCipherLabShort, kRead);
  EXPECT_EQ(Lines(),
            (std::vector<Line>{
                {"5901234", "", 1.0, 0.0}, {"5901235", "", 1.0, 0.0}, {"5901236", "", 3.0, 0.0}}));
}

TEST_F(CollectorRun, DownloadsThatEndBadlyKeepWhatWasDeliveredAndReportWhy) {
  struct Case {
    const char* what;
    Steps script;
    std::size_t delivered;
    int error;
  };
  const std::string milk = "Mleko,5901234,5,1250";
  const Case cases[] = {
      {"three NAKs to READ", {{"READ\r", kNak}, {"READ\r", kNak}, {"READ\r", kNak}}, 0, 24},
      {"OVER then something else",
       {{"READ\r", kAck + TerminalFrame(1, milk)}, {kAck, kOver + "OVEN\r"}},
       1,
       kBadReply},
      {"three rejected frames in a row",
       {{"READ\r", kAck + Corrupted(1, milk)}, {kNak, Corrupted(1, milk)}, {kNak, "\x01\r"}},
       0,
       kBadReply},
      {"two rejected frames, a repeat of the record before them, a third rejected frame",
       {{"READ\r", kAck + TerminalFrame(1, milk)},
        {kAck, Corrupted(2, milk)},
        {kNak, Corrupted(2, milk)},
        {kNak, TerminalFrame(1, milk) + Corrupted(2, milk)},
        {kNak, ""}},
       1,
       kBadReply},
      {"an overflow that a NAK recovered, then OVER and something else",
       {{"READ\r", kAck + std::string(255, '7')},
        {kNak, TerminalFrame(1, milk)},
        {kAck, kOver + "OVEN\r"}},
       1,
       kBadReply},
  };
  for (const Case& c : cases) {
    const std::size_t runs = events.NoticeCodes().size();
    Transfer(c.script, kCipherLab, kRead);
    EXPECT_EQ(Lines().size(), c.delivered) << c.what;
    const Notices notices = events.Notices();
    ASSERT_GE(notices.size(), runs + 2) << c.what;
    EXPECT_EQ(notices[notices.size() - 2].code, 7) << c.what;
    EXPECT_EQ(notices[notices.size() - 2].second, c.error) << c.what;
    EXPECT_EQ(notices.back().code, 11) << c.what;
    if (!kForwarding) {
      EXPECT_EQ(ScanerError(), c.error) << c.what;
    }
    std::lock_guard<std::mutex> hold(g_linesLock);
    g_lines.clear();
  }
}

TEST_F(CollectorRun, SilentTerminalGetsThreeNaksAndTheRunEndsWithTheTimeOut) {
  // Fifteen seconds of waiting: once is enough, where the job's code is seen too.
  if (kForwarding) GTEST_SKIP() << "run by the other build of the library";
  const auto start = std::chrono::steady_clock::now();
  Transfer({{"READ\r", kAck}, {kNak, ""}, {kNak, ""}, {kNak, ""}}, kCipherLab, kRead, nullptr, 0,
           25s);
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, 15s);
  const Notices notices = events.Notices();
  ASSERT_GE(notices.size(), 2u);
  EXPECT_EQ(notices[notices.size() - 2].code, 7);
  EXPECT_EQ(notices[notices.size() - 2].second, kTimeout);
  EXPECT_EQ(received, "READ\r" + kNak + kNak + kNak);
  EXPECT_EQ(ScanerError(), kTimeout);
}

TEST_F(CollectorRun, LoadSendsEachLineAsTheTerminalWantsIt) {
  HostLineRecord lines[] = {
      HostLine("123", "A,B", 2, 4.5),
      // Cut to 13 characters, then stripped: "  12345ABCDEF" gives "12345ABCDEF".
      HostLine("  12345ABCDEFGHIJ", "      ", 1, 0.1),
      // A name cut to 18 characters.
      HostLine("7", "ABCDEFGHIJKLMNOPQRST", 1, 1),
  };
  const std::string first = std::string("A.B,123,2,0,4.50") + "\x03\x20\r";
  const std::string second = ",12345ABCDEF,1,0,0.10" + std::string("\x04\x64\r");
  const std::string third = "ABCDEFGHIJKLMNOPQR,7,1,0,1.00\x07\x32\r";
  Transfer({{"CIPHER\r", kNak},
            {"CIPHER\r", kAck},
            {first, kNak},
            {first, kAck},
            {second, kAck},
            {third, kAck}},
           kCipherLab, kLoad, lines, 3);
  EXPECT_EQ(received, "CIPHER\rCIPHER\r" + first + first + second + third + kOver + kOver);
  EXPECT_EQ(events.NoticeCodes().back(), 11);
  EXPECT_EQ(events.Notices()[events.Notices().size() - 2].code, 10);
}

TEST_F(CollectorRun, LoadOfNoLinesFailsOnceTheCommandIsAcknowledged) {
  HostLineRecord line = HostLine("1", "A", 1, 1);
  const Notices notices = Transfer({{"CIPHER\r", kAck}}, kCipherLabShort, kLoad, &line, 0);
  EXPECT_EQ(received, "CIPHER\r");
  EXPECT_EQ(notices, (Notices{{9, "", 0, 0}, {7, "", 0, 0}, {11, "", 0, 0}}));
}

TEST_F(CollectorRun, SingleLineIsLoadedWhileTheJobRunsInModeOne) {
  const std::string line = "A,1,1,0,2.00\x02\x43\r";
  struct Case {
    const char* what;
    Steps script;
    std::string sent;
    int error;  // the second number of the run's closing notice 7
  };
  const Case cases[] = {
      {"acknowledged", {{"CIPHER\r", kAck}, {line, kAck}}, "CIPHER\r" + line + kOver + kOver, 0},
      {"the command refused three times",
       {{"CIPHER\r", kNak}, {"CIPHER\r", kNak}, {"CIPHER\r", kNak}},
       "CIPHER\rCIPHER\rCIPHER\r",
       24},
  };
  for (const Case& c : cases) {
    ScriptedResponder terminal(device, c.script);
    const std::size_t before = events.NoticeCount();
    ASSERT_EQ(Start(kCipherLab, device.Port()), 1) << c.what;
    HostLineRecord record = HostLine("1", "A", 1, 2);
    // The load is over when the call returns.
    EXPECT_EQ(ScanerSetBarCodeInfo(&record), 1) << c.what;
    EXPECT_TRUE(terminal.WaitForReceived(c.sent.size(), 3000)) << c.what;
    EXPECT_EQ(terminal.Received(), c.sent) << c.what;
    EXPECT_LT(BreakAndWait(), 1500) << c.what;
    Notices notices = events.Notices();
    notices.erase(notices.begin(), notices.begin() + static_cast<std::ptrdiff_t>(before));
    ASSERT_EQ(notices.size(), 4u) << c.what;
    EXPECT_EQ(notices[0].code, 1);
    EXPECT_EQ(notices[1].code, 9);
    EXPECT_EQ(notices[2].code, 7);
    EXPECT_EQ(notices[2].second, c.error) << c.what;
    EXPECT_EQ(notices[3].code, 11);
  }
}

HostLineRecord g_hostLine = HostLine("9", "X", 1, 1);
int32_t g_hostLineTaken = -1;

// A host that hands over an article line from inside its own callbacks.
void ZELVANE_CALL RecordAndOfferALine(HostLineRecord* record) {
  OnRecord(record);
  g_hostLineTaken = ScanerSetBarCodeInfo(&g_hostLine);
}

void ZELVANE_CALL OfferALineOnClose(int32_t code, const char*, int32_t, int32_t) {
  if (code == 11) g_hostLineTaken = ScanerSetBarCodeInfo(&g_hostLine);
}

std::vector<Line> g_otherLines;
void ZELVANE_CALL OtherRecords(HostLineRecord* record) {
  const std::lock_guard<std::mutex> hold(g_linesLock);
  g_otherLines.push_back({record->code, record->name, record->quantity, record->price});
}

TEST_F(CollectorRun, TheRunsOwnTransferKeepsThePortAndItsCallbackWhateverTheHostCalls) {
  const std::string milk = "Mleko,5901234,5,1250";
  const std::string frame = "A.B,123,2,0,4.50\x03\x20\r";
  HostLineRecord batch[5];
  for (HostLineRecord& line : batch) line = HostLine("123", "A,B", 2, 4.5);
  Steps load{{"CIPHER\r", kAck}};
  std::string loaded = "CIPHER\r";
  for (int i = 0; i < 5; ++i) {
    load.push_back({frame, kAck});
    loaded += frame;
  }
  loaded += kOver + kOver;
  const Steps read{{"READ\r", kAck + TerminalFrame(1, milk)},
                   {kAck, TerminalFrame(2, milk)},
                   {kAck, kOver + kOver}};
  const std::vector<Line> readLines(2, {"5901234", "Mleko", 5.0, 12.5});
  const RunRequest request = Request(kCipherLab);
  struct Case {
    const char* what;
    int32_t mode;
    RecordCallback onRecord;
    // What the host does on its own thread right after the start; its result.
    int32_t (*hostCall)(const RunRequest&);
    int32_t hostResult;
    Steps script;
    std::string sent;
    std::vector<Line> delivered;
  };
  const std::vector<int> loadNotices{1, 2, 4, 9, 10, 11};
  const std::vector<int> readNotices{1, 2, 4, 9, 5, 5, 10, 11};
  const Case cases[] = {
      {"a line during a load",
       kLoad,
       &OnRecord,
       [](const RunRequest&) { return ScanerSetBarCodeInfo(&g_hostLine); },
       1,
       load,
       loaded,
       {}},
      {"a line during a read, and from the record callback", kRead, &RecordAndOfferALine,
       [](const RunRequest&) { return ScanerSetBarCodeInfo(&g_hostLine); }, 1, read,
       "READ\r" + kAck + kAck, readLines},
      {"a second read of the same terminal", kRead, &OnRecord,
       [](const RunRequest& again) {
         return ZelvaneRunCollector(&again, kRead, &OtherRecords, nullptr, 0);
       },
       0, read, "READ\r" + kAck + kAck, readLines},
  };
  for (const Case& c : cases) {
    {
      const std::lock_guard<std::mutex> hold(g_linesLock);
      g_lines.clear();
      g_otherLines.clear();
    }
    const std::size_t before = events.NoticeCount();
    ASSERT_EQ(Collect(kCipherLab, c.mode, c.onRecord, batch, 5), 1) << c.what;
    EXPECT_EQ(c.hostCall(request), c.hostResult) << c.what;
    if (c.hostResult == 0 && !kForwarding) {
      EXPECT_EQ(ScanerError(), 999999) << c.what;
      EXPECT_STREQ(ScanerErrMsg(),
                   "Trwa ju\xBF praca tego urz\xB9"
                   "dzenia (kolektor CipherLab); najpierw przerwij j\xB9")
          << c.what;
    }
    ScriptedResponder terminal(device, c.script);
    EXPECT_TRUE(runs.WaitForEnds(5s)) << c.what;
    EXPECT_TRUE(terminal.WaitForReceived(c.sent.size(), 3000)) << c.what;
    EXPECT_EQ(terminal.Received(), c.sent) << c.what;
    EXPECT_EQ(Lines(), c.delivered) << c.what;
    EXPECT_TRUE(g_otherLines.empty()) << c.what;
    std::vector<int> codes;
    for (std::size_t i = before; i < events.Notices().size(); ++i)
      codes.push_back(events.Notices()[i].code);
    EXPECT_EQ(codes, c.mode == kLoad ? loadNotices : readNotices) << c.what;
  }
}

TEST_F(CollectorRun, NothingIsSentAfterTheClose) {
  // The host's status callback hands over a line when it hears of the close.
  RunRequest request = Request(kCipherLab);
  request.status_callback = &OfferALineOnClose;
  g_hostLineTaken = -1;
  ASSERT_EQ(runs.Count([&] { return ScanerRun(&request, &HostEvents::OnCode); }), 1);
  EXPECT_GE(BreakAndWait(), 0);
  EXPECT_EQ(g_hostLineTaken, 1);
  EXPECT_EQ(device.Read(1, 300), "");
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 7, 11}));
  if (!kForwarding) {
    EXPECT_EQ(ScanerError(), 0) << "the run's own error stays";
  }
}

TEST_F(CollectorRun, BreakEndsADownloadStuckInTheMiddleOfAFrame) {
  ScriptedResponder terminal(device, {{"READ\r", kAck + "\x01Mleko,59"}});
  ASSERT_EQ(Collect(kCipherLab, kRead, &OnRecord), 1);
  ASSERT_TRUE(terminal.WaitForSteps(1));
  std::this_thread::sleep_for(300ms);
  // A line for the terminal while the job's own transfer uses the port: not sent.
  HostLineRecord line = HostLine("1", "A", 1, 2);
  EXPECT_EQ(ScanerSetBarCodeInfo(&line), 1);
  EXPECT_LT(BreakAndWait(), 1000);
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(terminal.Received(), "READ\r");
}

TEST_F(CollectorRun, VanishedTerminalEndsTheDownloadAtOnceKeepingWhatCame) {
  {
    ScriptedResponder terminal(device, {{"READ\r", kAck + TerminalFrame(1, "Ser,5907,2")}});
    ASSERT_EQ(Collect(kCipherLab, kRead, &OnRecord), 1);
    ASSERT_TRUE(events.WaitForNotice(5, 3s));
  }
  const auto start = std::chrono::steady_clock::now();
  device.Disappear();
  EXPECT_TRUE(runs.WaitForEnds(3s));
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1500ms);
  EXPECT_EQ(Lines(), (std::vector<Line>{{"5907", "Ser", 2.0, 0.0}}));
  const Notices notices = events.Notices();
  EXPECT_EQ(notices[notices.size() - 2].code, 7);
}

TEST_F(CollectorRun, ScaleReadsOneWeighingInModeTwo) {
  if (!testing::HeldOutput::Available()) GTEST_SKIP() << "the line's output cannot be held here";
  // The scale's answer must be in the port as soon as the request has left it.
  testing::HeldOutput held(device.Port());
  ASSERT_TRUE(held.IsHolding());
  testing::DelayedCall scale(300, [&] {
    device.Write(" 12.500 kg\r\n");
    std::this_thread::sleep_for(50ms);
    held.Release();
  });
  ASSERT_EQ(Collect(kRadwag, kRead, &OnRecord), 1);
  EXPECT_TRUE(runs.WaitForEnds(5s));
  EXPECT_EQ(Lines(), (std::vector<Line>{{"", "", 12.5, 0.0}}));
  EXPECT_EQ(events.NoticeCodes(), (std::vector<int>{1, 2, 4, 9, 5, 10, 11}));
}

TEST_F(CollectorRun, BadModesAndArgumentsAreRefusedBeforeAnyExchange) {
  HostLineRecord line = HostLine("1", "A", 1, 1);
  struct Case {
    int32_t mode;
    RecordCallback onRecord;
    HostLineRecord* records;
    int32_t count;
  };
  const Case cases[] = {
      {1, &OnRecord, &line, 1},   {4, &OnRecord, &line, 1},       {0, nullptr, nullptr, 0},
      {kRead, nullptr, &line, 1}, {kLoad, &OnRecord, nullptr, 1}, {kLoad, &OnRecord, &line, -1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Collect(kCipherLab, c.mode, c.onRecord, c.records, c.count), 0) << c.mode;
    if (!kForwarding) {
      EXPECT_EQ(ScanerError(), 999999) << c.mode;
      EXPECT_STRNE(ScanerErrMsg(), "") << c.mode;
    }
  }
  EXPECT_EQ(ZelvaneRunCollector(nullptr, kRead, &OnRecord, nullptr, 0), 0);
  EXPECT_EQ(device.Read(1, 200), "");
  EXPECT_TRUE(events.Notices().empty());
}

// What a BHT-6045 terminal sends and the PC answers.
const std::string kEnq = "\x05";
const std::string kBhtAck = "\x06";
const std::string kBhtNak = "\x15";
const std::string kEot = "\x04";
// Any byte but ENQ after a file ends the transfer at once, without the PC's 2 s wait.
const std::string kNoMoreFiles = "X";

// A code field: the code, then blanks to 16 characters.
std::string Code16(const std::string& code) {
  return code + std::string(16 - code.size(), ' ');
}

std::string BhtHeader(const std::string& count) {
  return BhtBlockWithCheck("\x01" + std::string(12, 'F') + count + std::string(6, ' ') + "\x03");
}

std::string BhtRecord(const std::string& code, const std::string& quantity) {
  return BhtBlockWithCheck("\x02" + code + quantity + "\x03");
}

// The record sent with one bit of its code flipped, its check byte as before.
std::string BhtCorrupted(const std::string& code, const std::string& quantity) {
  std::string block = BhtRecord(code, quantity);
  block[3] = static_cast<char>(block[3] ^ 0x10);
  return block;
}

constexpr int32_t kBht = 503;
constexpr int32_t kCasio = 505;

std::string Requests(const Steps& script) {
  std::string requests;
  for (const ScriptedResponder::Step& step : script) requests += step.request;
  return requests;
}

struct TerminalLedCase {
  const char* what;
  Steps script;
  std::vector<Line> delivered;
  int endNotice;  // 10 or 7
  int error;      // the second number of notice 7
  bool needsVerifiedChecks = false;
};

class TerminalLedRun : public CollectorRun {
 protected:
  // Plays each case; the PC must have sent exactly the script's requests, the host
  // received the lines with a progress notice before each, and the run ended so.
  void Play(const TerminalLedCase* begin, const TerminalLedCase* end, int32_t deviceCode) {
    for (const TerminalLedCase* c = begin; c != end; ++c) {
      if (c->needsVerifiedChecks && !BhtCheckVerified()) continue;
      {
        const std::lock_guard<std::mutex> hold(g_linesLock);
        g_lines.clear();
      }
      const std::size_t earlier = events.Notices().size();
      Transfer(c->script, deviceCode, kRead);
      Notices notices = events.Notices();
      notices.erase(notices.begin(), notices.begin() + static_cast<std::ptrdiff_t>(earlier));
      while (!notices.empty() && notices.front().code != 9) notices.erase(notices.begin());
      EXPECT_EQ(received, Requests(c->script)) << c->what;
      EXPECT_EQ(Lines(), c->delivered) << c->what;
      Notices expected{{9, "", 0, 0}};
      for (std::size_t i = 0; i < c->delivered.size(); ++i) {
        expected.push_back({5, c->delivered[i].code, static_cast<int>(10 * (i + 1) % 100), 0});
      }
      ASSERT_EQ(notices.size(), expected.size() + 2) << c->what;
      for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(notices[i], expected[i]) << c->what;
      EXPECT_EQ(notices[expected.size()].code, c->endNotice) << c->what;
      EXPECT_EQ(notices[expected.size()].second, c->error) << c->what;
      EXPECT_EQ(notices.back().code, 11) << c->what;
    }
  }
};

TEST_F(TerminalLedRun, BhtDownloadsDeliverWhatTheTerminalCountedAndChecked) {
  const TerminalLedCase cases[] = {
      {"a header of 00000 then EOT",
       {{"", kEnq}, {kBhtAck, BhtHeader("00000")}, {kBhtAck, kEot}, {kBhtAck, kNoMoreFiles}},
       {},
       10,
       0},
      {"quantities 5, 0, 2: the first record and the zero are passed over",
       {{"", kEnq},
        {kBhtAck, BhtHeader("00003")},
        {kBhtAck, BhtRecord(Code16("A"), "    5")},
        {kBhtAck, BhtRecord(Code16("B"), "    0")},
        {kBhtAck, BhtRecord(Code16("C"), "    2")},
        {kBhtAck, kEot},
        {kBhtAck, kNoMoreFiles}},
       {{"C", "", 2.0, 0.0}},
       10,
       0},
      {"two files, trimmed codes and quantities",
       {{"", kEnq},
        {kBhtAck, BhtHeader("00001")},
        {kBhtAck, BhtRecord(Code16("A"), "    1")},
        {kBhtAck, kEot},
        {kBhtAck, kEnq},
        {kBhtAck, BhtHeader("2.9  ")},
        {kBhtAck, BhtRecord("  5901234567890X", "1.5  ")},
        {kBhtAck, BhtRecord(Code16("B"), "  12 ")},
        {kBhtAck, kEot},
        {kBhtAck, kNoMoreFiles}},
       {{"5901234567890", "", 1.5, 0.0}, {"B", "", 12.0, 0.0}},
       10,
       0},
      {"a record block of 24 bytes is acknowledged, then ends the read",
       {{"", kEnq},
        {kBhtAck, BhtHeader("00002")},
        {kBhtAck, BhtBlockWithCheck("\x02" + std::string(22, '1') + "\x03")},
        {kBhtAck, ""}},
       {},
       7,
       0},
      {"six bytes other than ENQ, then ENQ on the seventh attempt",
       {{"",
         "\x06\x06"
         "abc\x04" +
             kEnq},
        {kBhtAck, BhtHeader("00000")},
        {kBhtAck, kEot},
        {kBhtAck, kNoMoreFiles}},
       {},
       10,
       0},
      {"seven bytes other than ENQ end the read before the ENQ after them",
       {{"", "1234567" + kEnq}},
       {},
       7,
       0},
      {"a corrupted block is refused and delivered intact when sent again",
       {{"", kEnq},
        {kBhtAck, BhtHeader("00002")},
        {kBhtAck, BhtRecord(Code16("A"), "    1")},
        {kBhtAck, BhtCorrupted(Code16("5901234"), "    3")},
        {kBhtNak, BhtCorrupted(Code16("5901234"), "    3")},
        {kBhtNak, BhtRecord(Code16("5901234"), "    3")},
        {kBhtAck, kEot},
        {kBhtAck, kNoMoreFiles}},
       {{"5901234", "", 3.0, 0.0}},
       10,
       0,
       true},
  };
  Play(std::begin(cases), std::end(cases), kBht);
}

TEST_F(TerminalLedRun, BhtReadEndsAfterTenRefusalsOfOneBlock) {
  if (!BhtCheckVerified()) GTEST_SKIP() << "this build takes blocks unchecked";
  const std::string first = BhtRecord(Code16("A"), "    1");
  const std::string good = BhtRecord(Code16("B"), "    1");
  const std::string corrupted = BhtCorrupted(Code16("B"), "    1");
  Steps nine{{"", kEnq}, {kBhtAck, BhtHeader("00002")}, {kBhtAck, first}, {kBhtAck, corrupted}};
  for (int i = 1; i < 9; ++i) nine.push_back({kBhtNak, corrupted});
  Steps ten = nine;
  nine.insert(nine.end(), {{kBhtNak, good}, {kBhtAck, kEot}, {kBhtAck, kNoMoreFiles}});
  ten.insert(ten.end(), {{kBhtNak, corrupted}, {kBhtNak, ""}});
  const TerminalLedCase cases[] = {
      {"nine refusals, then the block intact", nine, {{"B", "", 1.0, 0.0}}, 10, 0},
      {"ten refusals in a row", ten, {}, 7, 23},
  };
  Play(std::begin(cases), std::end(cases), kBht);
}

TEST_F(TerminalLedRun, CasioDownloadsDeliverEveryRecordTheirLengthsAnnounce) {
  const std::string link = "?\x03";
  const std::string ack = "\x06";
  const TerminalLedCase cases[] = {
      {"two- and one-digit lengths, a zero quantity, a link after noise",
       {{"", "XY" + link},
        {ack,
         "-\x02"
         "10:ABC:12.5\r"
         "5:A:1\r"
         "7:B:0.0\r"
         "!\x03"},
        {ack, ""}},
       {{"ABC", "", 12.5, 0.0}, {"A", "", 1.0, 0.0}, {"B", "", 0.0, 0.0}},
       10,
       0},
      {"nothing after the second colon",
       {{"", link},
        {ack,
         "-\x02"
         "5:A:1\r"
         "6:ABC:\r"}},
       {{"A", "", 1.0, 0.0}},
       7,
       9999},
      {"a length the record does not have",
       {{"", link},
        {ack,
         "-\x02"
         "9:ABC:1\r"}},
       {},
       7,
       9999},
      {"the end marker right after the link", {{"", link}, {ack, "!\x03"}, {ack, ""}}, {}, 10, 0},
  };
  Play(std::begin(cases), std::end(cases), kCasio);
}

TEST_F(TerminalLedRun, TerminalsThatTakeNothingAreNeverWrittenTo) {
  // ScanerRun has no code for the Casio terminals.
  EXPECT_EQ(Start(kCasio, device.Port()), 0);
  EXPECT_TRUE(events.Notices().empty());
  HostLineRecord line = HostLine("1", "A", 1, 1);
  for (const int32_t code : {kBht, kCasio}) {
    Transfer({}, code, kLoad, &line, 1);
    EXPECT_EQ(received, "") << code;
    const Notices notices = events.Notices();
    ASSERT_GE(notices.size(), 2u) << code;
    EXPECT_EQ(notices[notices.size() - 2].code, 7) << code;
    EXPECT_EQ(notices.back().code, 11) << code;
  }
  ASSERT_EQ(Start(kBht, device.Port()), 1);
  EXPECT_EQ(ScanerSetBarCodeInfo(&line), 1);
  EXPECT_LT(BreakAndWait(), 1500);
  EXPECT_EQ(device.Read(1, 200), "");
}

TEST_F(TerminalLedRun, BreakEndsTheWaitForASilentTerminalAtOnce) {
  for (const int32_t code : {kBht, kCasio}) {
    const std::size_t before = events.NoticeCount();
    ASSERT_EQ(Collect(code, kRead, &OnRecord), 1) << code;
    // Notice 4 comes right before the job waits for the terminal's first byte.
    ASSERT_TRUE(events.WaitForNotice(4, 3s, 1, before)) << code;
    std::this_thread::sleep_for(100ms);
    const long long took = runs.BreakAndWait(testing::kRunEndLimit);
    ASSERT_GE(took, 0) << code;
    EXPECT_LT(took, 1000) << code;
    EXPECT_EQ(events.Notices()[events.Notices().size() - 2].code, 7) << code;
    if (!kForwarding) {
      EXPECT_EQ(ScanerError(), -7) << code;
    }
  }
  EXPECT_TRUE(Lines().empty());
}

}  // namespace
}  // namespace zelvane
