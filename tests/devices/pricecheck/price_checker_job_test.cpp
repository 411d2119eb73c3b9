// The price checker's job with a service played by the test: loading, starting and
// stopping the service, and one price request from the service's callback through
// the worker's poll and the host's answer back to the display.
#include "devices/pricecheck/price_checker_job.h"

#include <gtest/gtest.h>

#include <cstring>
#include <future>
#include <string>
#include <vector>

#include "devices/host_line.h"
#include "host/library_objects.h"
#include "jobs/run_state.h"
#include "support/job_test_support.h"
#include "support/serial_test_support.h"

namespace zelvane {
namespace {

// What the played service answers and what was asked of it.
struct PlayedService {
  bool loads = true;
  bool hasStart = true;
  std::uint8_t result = 1;
  std::int32_t status = 0;
  int loadCalls = 0;
  int startCalls = 0;
  int stopCalls = 0;
  SprLanPriceRequest priceRequest = nullptr;
};
PlayedService g_service;
int g_libraryToken = 0;

std::uint8_t SPR_LAN_START_CALL PlayedStart(std::int32_t* status, char*,
                                            SprLanPriceRequest priceRequest, SprLanNotify,
                                            SprLanNotify) {
  ++g_service.startCalls;
  g_service.priceRequest = priceRequest;
  *status = g_service.status;
  return g_service.result;
}

void SPR_LAN_CALL PlayedStop() {
  ++g_service.stopCalls;
}

platform::LibraryHandle PlayedLoad() {
  ++g_service.loadCalls;
  return g_service.loads ? &g_libraryToken : nullptr;
}

void* PlayedFind(platform::LibraryHandle, const char* name) {
  if (std::strcmp(name, "UruchomionoObslugeSprawdzarek") == 0 && g_service.hasStart) {
    return reinterpret_cast<void*>(&PlayedStart);
  }
  if (std::strcmp(name, "ZatrzymanieObslugiSprawdzarek") == 0)
    return reinterpret_cast<void*>(&PlayedStop);
  return nullptr;
}

class PriceCheckerJob : public ::testing::Test {
 protected:
  void SetUp() override {
    g_service = PlayedService{};
    job.GetProtocol().UseLibraryAccess({&PlayedLoad, &PlayedFind});
    job.SetComm(&TheSerialObject());
  }

  testing::MessageRecorder messages;
  PriceExchange exchange;
  CSL_SCANER job{exchange};
};

TEST_F(PriceCheckerJob, StartOutcomesDecideTheOpen) {
  struct Case {
    const char* what;
    bool loads;
    bool hasStart;
    std::uint8_t result;
    std::int32_t status;
    int opened;
    std::vector<std::string> messages;
  };
  const std::vector<Case> cases = {
      {"listening", true, true, 1, 0, 1, {}},
      {"started with a status", true, true, 1, 4, 1, {"Error <> 0"}},
      {"already running", true, true, 0, 6, 1, {}},
      {"refused", true, true, 0, 2, 0, {}},
      {"no library", false, true, 1, 0, 0, {}},
      {"no start function", true, false, 1, 0, 0, {}},
  };
  for (const Case& test : cases) {
    CSL_SCANER fresh(exchange);
    fresh.GetProtocol().UseLibraryAccess({&PlayedLoad, &PlayedFind});
    fresh.SetComm(&TheSerialObject());
    g_service = PlayedService{test.loads, test.hasStart, test.result, test.status};
    messages.Clear();
    fresh.SetError(-5, "stale");
    EXPECT_EQ(fresh.OpenDevice(1, nullptr), test.opened) << test.what;
    EXPECT_EQ(fresh.GetProtocol().IsStarted(), test.opened) << test.what;
    EXPECT_EQ(messages.Texts(), test.messages) << test.what;
    if (test.opened == 0) {
      EXPECT_EQ(fresh.GetErrorCode(), 0) << test.what;
      EXPECT_EQ(fresh.GetErrorMessage(), fresh.ErrorText(0)) << test.what;
    }
    fresh.CloseDevice(1);
  }
}

TEST_F(PriceCheckerJob, LibraryIsLoadedOnceAndStartedAtEveryOpen) {
  CSL_SCANER unbound(exchange);
  EXPECT_EQ(unbound.OpenDevice(1, nullptr), 0) << "no serial object";

  ASSERT_EQ(job.OpenDevice(1, nullptr), 1);
  EXPECT_EQ(job.CloseDevice(1), 1);
  ASSERT_EQ(job.OpenDevice(1, nullptr), 1);
  EXPECT_EQ(job.CloseDevice(1), 1);
  EXPECT_EQ(g_service.loadCalls, 1);
  EXPECT_EQ(g_service.startCalls, 2);
  EXPECT_EQ(g_service.stopCalls, 2);
  EXPECT_TRUE(job.GetProtocol().IsLoaded());
}

TEST_F(PriceCheckerJob, ScannedCodeReachesTheHostAndItsAnswerTheService) {
  ASSERT_EQ(job.OpenDevice(1, nullptr), 1);
  ASSERT_NE(g_service.priceRequest, nullptr);
  char text[CLogicScaner::kCodeTextSize];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(job.ReadCode(1, text), 1) << "nothing pending is still a reading";
  EXPECT_STREQ(text, "");

  struct Reply {
    char display[64];
    char copy[64];
    std::int32_t kind = -1;
    std::int32_t second = -1;
  };
  const auto ask = [](const char* code) {
    Reply reply{};
    std::memset(reply.display, 'x', sizeof reply.display);
    EXPECT_EQ(
        g_service.priceRequest(0, code, reply.display, &reply.kind, &reply.second, reply.copy), 0);
    return reply;
  };
  auto request = std::async(std::launch::async, ask, "5900000000000000000099999");
  std::string code;
  for (int i = 0; i < 1000 && code.empty(); ++i) {
    job.ReadCode(1, text);
    code = text;
    if (code.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  EXPECT_EQ(code, "59000000000000000000");

  unsigned char record[host_line::kSize] = {};
  host_line::SetCode(record, code);
  host_line::SetName(record, "  Kawa ");
  host_line::SetPrice(record, 12.5);
  EXPECT_EQ(job.LoadCollector(0, record, 1, 0, 0), 1);
  const Reply answered = request.get();
  const std::string expected = "Kawa\nCENA" + std::string(9, ' ') + "12.50z\x88";
  EXPECT_EQ(std::string(answered.display), expected);
  EXPECT_EQ(answered.display[41], 'x') << "41 bytes are written";
  EXPECT_EQ(std::string(answered.copy), expected);
  EXPECT_EQ(answered.kind, 1);
  EXPECT_EQ(answered.second, 5);

  // Once stopped, a request gets no answer and does not wait.
  job.CloseDevice(1);
  const Reply closed = ask("123");
  EXPECT_EQ(std::string(closed.display), "");
  EXPECT_EQ(closed.kind, 0);
  EXPECT_EQ(closed.second, 3);
}

// The host of the reading loop: answers each code at once from inside its callback,
// as a shop application does, through the job that runs.
CSL_SCANER* g_runningJob = nullptr;
std::vector<std::string> g_handedCodes;
std::vector<unsigned> g_sleeps;

void ZELVANE_CALL AnswerAtOnce(const char* code) {
  g_handedCodes.emplace_back(code);
  HostLineRecord record{};
  std::snprintf(record.code, sizeof record.code, "%s", code);
  std::snprintf(record.name, sizeof record.name, "Towar %s", code);
  record.price = 1.0;
  g_runningJob->TakeHostRecord(&record);
}

// A customer waits at the terminal: the loop takes every code as soon as it is
// scanned, never after a pause of its own, and hands it to the host one per call.
TEST_F(PriceCheckerJob, ReadingLoopTakesEachScannedCodeAtOnce) {
  g_runningJob = &job;
  g_handedCodes.clear();
  g_sleeps.clear();
  job.SetSleepFunction([](unsigned milliseconds) { g_sleeps.push_back(milliseconds); });
  testing::PrepareRun(702, 0, false);
  TheRunState().SetCodeCallback(&AnswerAtOnce);
  ASSERT_EQ(job.Start(nullptr, 0), 1);
  ASSERT_NE(g_service.priceRequest, nullptr);

  for (const char* code : {"1", "22", "333"}) {
    char display[64] = {};
    char copy[64] = {};
    std::int32_t kind = 0;
    std::int32_t second = 0;
    g_service.priceRequest(0, code, display, &kind, &second, copy);
    EXPECT_EQ(std::string(display).substr(0, std::string("Towar ").size() + std::strlen(code)),
              std::string("Towar ") + code);
  }
  // The loop now waits for the next scan; the break ends that wait and the run.
  job.Break();
  ASSERT_TRUE(testing::WaitUntilIdle(job));
  EXPECT_EQ(g_handedCodes, (std::vector<std::string>{"1", "22", "333"}));
  EXPECT_EQ(g_sleeps, std::vector<unsigned>{}) << "the loop does not sleep between polls";
  g_runningJob = nullptr;
}

}  // namespace
}  // namespace zelvane
