// The CUPS spooler against a real scheduler: a private cupsd whose raw queues deliver
// to TCP ports of this test. Without root or without cupsd these tests fail, on
// purpose: a machine that cannot run them must not look as if they passed.
#ifndef _WIN32

#include <cups/cups.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <thread>

#include "platform/printer_spooler.h"
#include "printing/private_cups_server.h"
#include "printing/raw_print_job.h"
#include "printing/session_printer_name.h"

namespace zelvane::printing {
namespace {

using testing::PrivateCupsServer;
using testing::RawPrinterPort;
using namespace std::chrono_literals;

// Long enough for a loaded machine to schedule and run a job.
constexpr auto kJobArrival = 10s;
// How long a job that must not come is waited for.
constexpr auto kNoJob = 700ms;

bool Print(const std::string& printer, const std::vector<std::uint8_t>& data) {
  static const std::uint8_t kNothing = 0;
  return PrintRaw(platform::SystemSpooler(), printer, data.empty() ? &kNothing : data.data(),
                  static_cast<std::uint32_t>(data.size()));
}

// The system spooler, counting how often the printers are listed.
class CountingSpooler : public platform::PrinterSpooler {
 public:
  int listings = 0;

  std::optional<std::vector<std::string>> PrinterNames() override {
    ++listings;
    return platform::SystemSpooler().PrinterNames();
  }
  std::unique_ptr<platform::SpooledPrinter> OpenPrinter(const std::string& name) override {
    return platform::SystemSpooler().OpenPrinter(name);
  }
};

class CupsSpooler : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { s_server = std::make_unique<PrivateCupsServer>(); }
  static void TearDownTestSuite() { s_server.reset(); }
  void SetUp() override { ASSERT_EQ(s_server->Error(), "") << "no private CUPS server"; }

  static PrivateCupsServer& Server() { return *s_server; }

 private:
  static inline std::unique_ptr<PrivateCupsServer> s_server;
};

TEST_F(CupsSpooler, RawQueuesReceiveTheStreamUnchanged) {
  std::vector<std::uint8_t> everyByte(1 << 20);
  for (std::size_t i = 0; i < everyByte.size(); ++i) {
    everyByte[i] = static_cast<std::uint8_t>(i ^ (i >> 8));
  }
  const std::vector<std::uint8_t> receipt = {0x1B, '@', 'Z', 0xB3, 0x00, 0xFF, 0x0A, 0x1D, 'V', 0};
  struct Job {
    std::string queue;
    std::string stored;  // the name the host kept
    std::vector<std::uint8_t> data;
  };
  const std::vector<Job> jobs = {
      {"Raw_Mebibyte", "Raw_Mebibyte", everyByte},
      {"HP_LJ_(redirected_3)", "HP_LJ_(redirected_1)", receipt},
  };
  for (const Job& job : jobs) {
    RawPrinterPort port;
    ASSERT_TRUE(Server().AddRawQueue(job.queue, port.Port())) << Server().Error();
    const std::string printer = PrinterNameInSession(job.stored, platform::SystemSpooler());
    EXPECT_EQ(printer, job.queue);
    EXPECT_TRUE(Print(printer, job.data)) << job.queue;
    const auto received = port.Receive(kJobArrival);
    ASSERT_TRUE(received.has_value()) << job.queue << ": no job arrived";
    EXPECT_TRUE(*received == job.data) << job.queue << ": " << received->size() << " bytes of "
                                       << job.data.size() << " arrived, or other bytes";
  }
}

TEST_F(CupsSpooler, AnEmptyStreamIsRefusedAndLeavesNoJobBehind) {
  RawPrinterPort port;
  ASSERT_TRUE(Server().AddRawQueue("Raw_Empty", port.Port())) << Server().Error();
  EXPECT_FALSE(Print("Raw_Empty", {}));
  EXPECT_FALSE(port.Receive(kNoJob).has_value());
  cups_job_t* jobs = nullptr;
  const int waiting = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, "Raw_Empty", 0, CUPS_WHICHJOBS_ACTIVE);
  cupsFreeJobs(waiting, jobs);
  EXPECT_EQ(waiting, 0);
}

TEST_F(CupsSpooler, StoredNamesMapToTheQueuesTheServerLists) {
  RawPrinterPort unused;
  for (const char* queue : {"Oki_(redirected_5)", "Brother_HL-1110_(redirected_2)",
                            "Kyocera_P2040dn_(umgeleitet_14)", "Oki_(redirected_3)"}) {
    ASSERT_TRUE(Server().AddRawQueue(queue, unused.Port())) << Server().Error();
  }
  const auto listed = platform::SystemSpooler().PrinterNames();
  ASSERT_TRUE(listed.has_value());
  std::vector<std::string> okis;
  std::copy_if(listed->begin(), listed->end(), std::back_inserter(okis),
               [](const std::string& name) { return name.starts_with("Oki_"); });
  // The server's order (by name), not the order the queues were made in.
  EXPECT_EQ(okis, (std::vector<std::string>{"Oki_(redirected_3)", "Oki_(redirected_5)"}));

  struct Mapping {
    std::string stored;
    std::string expected;
    int listings;
  };
  const std::vector<Mapping> mappings = {
      {"Brother_HL-1110_(redirected_17)", "Brother_HL-1110_(redirected_2)", 1},
      {"Kyocera_P2040dn_(umgeleitet_2)", "Kyocera_P2040dn_(umgeleitet_14)", 1},
      {"Oki_(redirected_5)", "Oki_(redirected_3)", 1},  // the first match beats the exact one
      {"Brother_HL-1110", "Brother_HL-1110", 0},
  };
  for (const Mapping& mapping : mappings) {
    CountingSpooler spooler;
    EXPECT_EQ(PrinterNameInSession(mapping.stored, spooler), mapping.expected) << mapping.stored;
    EXPECT_EQ(spooler.listings, mapping.listings) << mapping.stored;
  }
}

TEST_F(CupsSpooler, MissingStoppedAndRejectingQueuesAnswerAtOnce) {
  RawPrinterPort stoppedPort;
  ASSERT_TRUE(Server().AddRawQueue("Raw_Stopped", stoppedPort.Port())) << Server().Error();
  ASSERT_TRUE(Server().StopQueue("Raw_Stopped")) << Server().Error();
  RawPrinterPort rejectingPort;
  ASSERT_TRUE(Server().AddRawQueue("Raw_Rejecting", rejectingPort.Port())) << Server().Error();
  ASSERT_TRUE(Server().RejectJobs("Raw_Rejecting")) << Server().Error();

  const std::vector<std::uint8_t> data = {'t', 'e', 's', 't', 0x0C};
  struct Case {
    std::string queue;
    bool accepted;
  };
  // A stopped queue still takes jobs and holds them; a rejecting one refuses them.
  for (const Case& test : std::vector<Case>{
           {"No_Such_Queue", false}, {"Raw_Stopped", true}, {"Raw_Rejecting", false}}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Print(test.queue, data), test.accepted) << test.queue;
    // A bound against hanging, far above what a call takes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 15s) << test.queue;
  }
  EXPECT_FALSE(stoppedPort.Receive(kNoJob).has_value()) << "a stopped queue printed";
}

TEST_F(CupsSpooler, WithoutAServerNamesStayAndNothingPrints) {
  const std::string privateServer = Server().Socket();
  for (const char* unreachable : {"/nonexistent/zelvane/cups.sock", "127.0.0.1:1"}) {
    setenv("CUPS_SERVER", unreachable, 1);
    // libcups reads the server once per thread: a new thread sees the new one.
    std::thread([&] {
      EXPECT_FALSE(platform::SystemSpooler().PrinterNames().has_value()) << unreachable;
      EXPECT_EQ(PrinterNameInSession("HP_LJ_(redirected_1)", platform::SystemSpooler()),
                "HP_LJ_(redirected_1)")
          << unreachable;
      EXPECT_FALSE(Print("HP_LJ_(redirected_3)", {'x'})) << unreachable;
    }).join();
  }
  setenv("CUPS_SERVER", privateServer.c_str(), 1);
}

// A server that takes the connection and then says nothing: a listening socket that
// never accepts.
TEST_F(CupsSpooler, ASilentServerIsGivenUp) {
  const std::string privateServer = Server().Socket();
  const std::string silentServer = privateServer + ".silent";
  const int listener = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  silentServer.copy(address.sun_path, sizeof(address.sun_path) - 1);
  ASSERT_EQ(bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
  ASSERT_EQ(listen(listener, 8), 0);
  setenv("CUPS_SERVER", silentServer.c_str(), 1);
  std::thread([] {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(platform::SystemSpooler().PrinterNames().has_value());
    // A bound against hanging, well above what the reply limit allows.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  }).join();
  setenv("CUPS_SERVER", privateServer.c_str(), 1);
  close(listener);
  unlink(silentServer.c_str());
}

}  // namespace
}  // namespace zelvane::printing

#endif  // _WIN32
