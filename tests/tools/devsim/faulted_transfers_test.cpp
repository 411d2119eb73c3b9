// Transfers from simulated devices whose line fails on purpose, at bytes drawn from a
// seed, against the library's protocol classes and the price-checker service. The
// rule: every reading the PC takes is one the device sent, intact (a reading damaged
// on the line makes its exchange fail), and a transfer that says it succeeded took
// every reading sent, once. Protocols that check their frames hold it against every
// fault; those without a check can only hold it against faults that damage no byte,
// and their other runs are counted, not judged. ZELVANE_FAULTED_RUNS sets the runs per
// device (default 5, one of each fault); the tally is printed.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "bht_terminal_simulator.h"
#include "buffers/chr_arr.h"
#include "cas_scale_simulator.h"
#include "casio_terminal_simulator.h"
#include "cipherlab_terminal_simulator.h"
#include "device_simulator.h"
#include "devices/collectors/bht6045.h"
#include "devices/collectors/bht_blocks.h"
#include "devices/collectors/casio_dt700.h"
#include "devices/collectors/cipherlab.h"
#include "devices/reading_record.h"
#include "devices/scales/cas_ap1.h"
#include "devices/scales/fawag.h"
#include "devices/scales/scale_parsing.h"
#include "devices/scanners/scanner_jobs.h"
#include "line_fault.h"
#include "line_scale_simulator.h"
#include "price_check_service.h"
#include "price_terminal.h"
#include "pty_device_link.h"
#include "scanner_simulator.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"
#include "support/serial_test_support.h"
#include "support/temp_directory_override.h"

namespace zelvane::devsim {
namespace {

using testing::PtyDeviceLink;
using zelvane::testing::PtyDevice;

constexpr FaultKind kKinds[] = {FaultKind::kDrop, FaultKind::kFlip, FaultKind::kCut,
                                FaultKind::kStall, FaultKind::kVanish};
const char* const kKindNames[] = {"drop", "flip", "cut", "stall", "vanish"};

std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

int RunsPerFamily() {
  const char* runs = std::getenv("ZELVANE_FAULTED_RUNS");
  return runs != nullptr && std::atoi(runs) > 0 ? std::atoi(runs) : 5;
}

// How one family's transfers are judged: the readings its device sends, how many bytes
// that takes, and the faults whose runs must hold the rule.
struct Family {
  const char* name;
  std::set<std::string> sent;
  std::size_t transferBytes;
  std::set<FaultKind> judged;
};

// What one transfer took, and, for the devices whose transfers end with a verdict,
// whether it said it succeeded: success promises that every reading sent was taken,
// once.
struct Taken {
  Taken(std::vector<std::string> taken, std::optional<bool> verdict = std::nullopt)
      : readings(std::move(taken)), succeeded(verdict) {}
  std::vector<std::string> readings;
  std::optional<bool> succeeded;
};

// One transfer whose device's line fails with the fault.
using FaultedTransfer = std::function<Taken(const LineFault&)>;

// A serial device played on a pseudo-terminal, and the PC's side of its transfer.
struct SerialTransfer {
  std::function<std::unique_ptr<DeviceSimulator>(DeviceLink&)> device;
  std::chrono::milliseconds beatEvery;
  std::function<Taken(CVeduvezid&, int port)> transfer;

  Taken operator()(const LineFault& fault) const {
    PtyDevice pty;
    EXPECT_TRUE(pty.IsReady()) << pty.Error();
    PtyDeviceLink line(pty);
    FaultyLink link(line, fault, [&pty] { pty.Disappear(); });
    const std::unique_ptr<DeviceSimulator> simulator = device(link);
    CVeduvezid serial;
    std::jthread player([&](std::stop_token stop) { RunSimulator(*simulator, beatEvery, stop); });
    Taken taken = transfer(serial, pty.Port());
    link.Cancel();
    return taken;
  }
};

struct Outcome {
  int runs = 0;
  int intact = 0;  // every reading taken was one sent, and a success took them all
  int wrong = 0;   // a reading never sent was taken, or a success lost or doubled one
  int failed = 0;  // the transfer said it failed
  int readings = 0;
};

class FaultedTransfers : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!PtyDevice::Available()) GTEST_SKIP() << zelvane::testing::kNeedsRunner;
  }

  // Runs the family's transfer under each fault in turn and prints the tally.
  static void Run(const Family& family, const FaultedTransfer& transfer) {
    std::map<FaultKind, Outcome> tally;
    for (int run = 0; run < RunsPerFamily(); ++run) {
      LineFault fault = *ParseLineFault(kKindNames[run % 5], static_cast<std::uint32_t>(run),
                                        family.transferBytes);
      fault.stall = std::chrono::milliseconds(5500);
      const Taken taken = transfer(fault);
      Outcome& outcome = tally[fault.kind];
      ++outcome.runs;
      bool wrong = false;
      for (const std::string& reading : taken.readings) wrong |= family.sent.count(reading) == 0;
      if (taken.succeeded == true) {
        wrong |= std::multiset<std::string>(taken.readings.begin(), taken.readings.end()) !=
                 std::multiset<std::string>(family.sent.begin(), family.sent.end());
      }
      ++(wrong ? outcome.wrong : outcome.intact);
      outcome.failed += taken.succeeded == false ? 1 : 0;
      outcome.readings += static_cast<int>(taken.readings.size());
      if (family.judged.count(fault.kind) != 0) {
        EXPECT_FALSE(wrong) << family.name << ", " << kKindNames[run % 5] << " at byte "
                            << fault.atByte;
      }
    }
    for (const auto& [kind, outcome] : tally) {
      std::printf("%-12s %-7s runs %3d  intact %3d  wrong %3d  said it failed %3d  readings %4d\n",
                  family.name, kKindNames[static_cast<int>(kind)], outcome.runs, outcome.intact,
                  outcome.wrong, outcome.failed, outcome.readings);
    }
  }

  zelvane::testing::TempDirectoryOverride temp;
  zelvane::testing::MessageRecorder messages;
};

TEST_F(FaultedTransfers, CasAnswersAreTakenIntactOrTheirDialogueFails) {
  const std::vector<CasStep> answers = {CasAnswer{"S  1.234kg"}, CasAnswer{"S   2.50kg"}};
  Run(
      Family{
          "cas",
          {"S  1.234kg", "S   2.50kg"},
          2 * 16,  // ACK, then SOH, STX, ten characters, the check, ETX and EOT
          {kKinds[0], kKinds[1], kKinds[2], kKinds[3], kKinds[4]},
      },
      SerialTransfer{[&answers](DeviceLink& link) {
                       return std::make_unique<CasScaleSimulator>(link, answers);
                     },
                     std::chrono::milliseconds(0),
                     [](CVeduvezid& serial, int port) {
                       CCasAP_1 scale;
                       scale.SetComm(&serial);
                       std::vector<std::string> taken;
                       if (scale.Open(port) != 1) return taken;
                       for (int dialogue = 0; dialogue < 3; ++dialogue) {
                         CChrArr answer;
                         if (scale.ReadWeight(answer) == 1) taken.push_back(Text(answer));
                       }
                       scale.Close();
                       return taken;
                     }});
}

// Twelve polls of a scanner or a line scale, 100 ms apart: the codes read.
template <class Device, auto Read, auto CodeOf>
Taken Poll(CVeduvezid& serial, int port) {
  Device device;
  device.SetComm(&serial);
  std::vector<std::string> taken;
  if (device.Open(port) != 1) return taken;
  for (int poll = 0; poll < 12; ++poll) {
    CChrArr read;
    (device.*Read)(read);
    if (const std::optional<CChrArr> code = CodeOf(read)) taken.push_back(Text(*code));
    serial.Pause(0.1);
  }
  device.Close();
  return taken;
}

std::optional<CChrArr> ScannedCode(const CChrArr& code) {
  return code.IsEmpty() ? std::nullopt : std::optional<CChrArr>(code);
}

// Scanned codes and pushed weight lines carry no check: only faults that damage no
// byte are judged.
TEST_F(FaultedTransfers, ScannerCodesAndPushedWeightsSurviveStallsAndAVanishingDevice) {
  const std::vector<ScannerCue> scans{ScannedCodes{{"5901234123457"}},
                                      ScannedCodes{{"4006381333931"}}};
  const auto scanner = [&scans](LineEnd end) {
    return [&scans, end](DeviceLink& link) {
      return std::make_unique<ScannerSimulator>(link, end, scans);
    };
  };
  const auto scale = [](LineScaleModel model) {
    return [model](DeviceLink& link) {
      return std::make_unique<LineScaleSimulator>(
          link, model,
          std::vector<Reading>{{ReadingKind::kStable, 1.25}, {ReadingKind::kStable, 2.5}});
    };
  };
  const std::set<std::string> codes{"5901234123457", "4006381333931"};
  const std::set<std::string> weights{"2700000012500", "2700000025000"};
  const std::set<FaultKind> judged{FaultKind::kStall, FaultKind::kVanish};
  const std::chrono::milliseconds beat(100);
  Run({"metrologic", codes, 2 * 15, judged},
      SerialTransfer{scanner(LineEnd::kCrLf), beat,
                     &Poll<CMetroLogic, &CMetroLogic::ReadScan, &ScannedCode>});
  Run({"tysso", codes, 2 * 14, judged},
      SerialTransfer{scanner(LineEnd::kCr), beat, &Poll<CTysso, &CTysso::ReadScan, &ScannedCode>});
  Run({"radwag", weights, 2 * 16, judged},
      SerialTransfer{scale(LineScaleModel::kRadwag), beat,
                     &Poll<CRadwag, &CRadwag::ReadLine, &RadwagWeightCode>});
  Run({"fawag", weights, 2 * 10, judged},
      SerialTransfer{scale(LineScaleModel::kFawagTwoDecimals), beat,
                     &Poll<CFawag, &CFawag::ReadLine, &FawagWeightCode>});
}

// The readings a collector protocol hands over, as "code=quantity".
std::vector<std::string> g_readings;
void ZELVANE_CALL TakeReading(void* record) {
  const auto& reading = *static_cast<const ReadingRecord*>(record);
  g_readings.push_back(std::string(reading.text) + "=" + std::to_string(reading.quantity));
}

// One download of a collector protocol; the readings it handed over.
template <class Protocol>
Taken Download(CVeduvezid& serial, int port) {
  Protocol terminal;
  terminal.SetComm(&serial);
  g_readings.clear();
  bool succeeded = false;
  if (terminal.Open(port) == 1) {
    succeeded = terminal.ReadRecords(&TakeReading) == 1;
    terminal.Close();
  }
  return {g_readings, succeeded};
}

TEST_F(FaultedTransfers, BhtRecordsAreTakenIntactOrTheirDownloadFails) {
  // Unchecked blocks only hold against faults that damage no byte.
  const std::set<FaultKind> judged =
      BhtCheckVerified() ? std::set<FaultKind>(std::begin(kKinds), std::end(kKinds))
                         : std::set<FaultKind>{FaultKind::kStall, FaultKind::kVanish};
  Run(
      Family{
          "bht",
          {"5901234123457=3.000000", "4006381333931=1.500000"},
          1 + 26 + 3 * 24 + 1 + 1,  // ENQ, header, three records, EOT, the end
          judged,
      },
      SerialTransfer{[](DeviceLink& link) {
                       return std::make_unique<BhtTerminalSimulator>(
                           link, 0,
                           std::vector<BhtStep>{
                               BhtRecordStep{"FIRST", "1"}, BhtRecordStep{"5901234123457", "3"},
                               BhtRecordStep{"4006381333931", "1.5"}, BhtCue::kStrayByte});
                     },
                     std::chrono::milliseconds(100), &Download<CBht6045>});
}

TEST_F(FaultedTransfers, CasioRecordsOfTheRightLengthAreTakenWhateverBitFlipped) {
  // The lengths catch lost bytes; nothing catches a flipped one, whose runs are counted.
  Run(
      Family{
          "casio",
          {"5901234123457=3.000000", "4006381333931=1.500000"},
          2 + 2 + 2 * 19 + 2,  // the call, the start, two records, the end
          {FaultKind::kDrop, FaultKind::kCut, FaultKind::kStall, FaultKind::kVanish},
      },
      SerialTransfer{[](DeviceLink& link) {
                       return std::make_unique<CasioTerminalSimulator>(
                           link, 0,
                           std::vector<CasioStep>{CasioRecordStep{"5901234123457", "3"},
                                                  CasioRecordStep{"4006381333931", "1.5"}});
                     },
                     std::chrono::milliseconds(100), &Download<CCasioDT700>});
}

TEST_F(FaultedTransfers, CipherLabRecordsAreTakenIntactOrTheirDownloadFails) {
  Run(
      Family{
          "cipherlab",
          {"590=5.000000", "591=2.000000"},
          4 + 20 + 19 + 10,  // ACK, two record frames, "OVER" CR twice
          {std::begin(kKinds), std::end(kKinds)},
      },
      SerialTransfer{[](DeviceLink& link) {
                       return std::make_unique<CipherLabTerminalSimulator>(
                           link, 0,
                           std::vector<TerminalStep>{TerminalRecord{"Mleko,590,5,1250"},
                                                     TerminalRecord{"Chleb,591,2,350"}});
                     },
                     std::chrono::milliseconds(0),
                     [](CVeduvezid& serial, int port) {
                       CCipherLab terminal;
                       terminal.SetComm(&serial);
                       std::vector<std::string> taken;
                       if (terminal.Open(port) != 1) return Taken(taken, false);
                       const int result = terminal.ReadRecords(
                           [&taken](cipherlab::CollectorRecord& record) {
                             taken.push_back(std::string(record.code) + "=" +
                                             std::to_string(record.quantity));
                           },
                           cipherlab::RecordLayout::kFull);
                       terminal.Close();
                       return Taken(taken, result == 1);
                     }});
}

// The codes the price-checker service asked the played host about; every one is
// answered at once, so a terminal need not wait long.
std::mutex g_askedLock;
std::vector<std::string> g_asked;
int32_t SPR_LAN_CALL AnswerEveryCode(int32_t, const char* code, char* display, int32_t* kind,
                                     int32_t* second, char* displayCopy) {
  {
    const std::lock_guard<std::mutex> hold(g_askedLock);
    g_asked.emplace_back(code);
  }
  std::snprintf(display, SPR_LAN_DISPLAY_SIZE, "Towar\nCENA 1.00");
  std::snprintf(displayCopy, SPR_LAN_DISPLAY_SIZE, "Towar\nCENA 1.00");
  *kind = 1;
  *second = 5;
  return 0;
}

TEST_F(FaultedTransfers, PriceCheckerCodesSurviveStallsAndAVanishingTerminal) {
  spr_lan::PriceCheckService service;
  const spr_lan::PriceCheckService::Outcome started =
      service.Start({"127.0.0.1", 0}, &AnswerEveryCode);
  ASSERT_EQ(started.status, SPR_LAN_LISTENING) << started.message;
  const spr_lan::ListenAddress address{"127.0.0.1", service.Port()};
  const std::vector<std::string> codes = {"5901234123457", "4006381333931"};
  // A connection carries bytes intact or not at all, but a terminal's lines carry no
  // check: only faults that damage no byte are judged.
  const Family pricecheck{
      "pricecheck", {codes.begin(), codes.end()}, 2 * 15, {FaultKind::kStall, FaultKind::kVanish}};
  Run(pricecheck, [&](const LineFault& fault) {
    {
      const std::lock_guard<std::mutex> hold(g_askedLock);
      g_asked.clear();
    }
    std::FILE* screen = std::fopen(temp.PathOf("screen.txt").string().c_str(), "w");
    EXPECT_NE(screen, nullptr);
    const std::atomic<bool> never{false};
    // The terminal's status says whether every scan was answered.
    const int status = PlayPriceTerminal(address, codes,
                                         {std::chrono::milliseconds(100), std::chrono::seconds(2),
                                          fault, std::chrono::seconds(1), "127.0.0.2"},
                                         never, screen);
    std::fclose(screen);
    const std::lock_guard<std::mutex> hold(g_askedLock);
    return Taken(g_asked, status == 0);
  });
}

}  // namespace
}  // namespace zelvane::devsim
