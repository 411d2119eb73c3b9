#include "job_runner.h"

#include <chrono>
#include <optional>
#include <string>

#include "console.h"
#include "job_report.h"
#include "price_answers.h"

namespace zelvane::host {
namespace {

using Milliseconds = std::chrono::milliseconds;

constexpr Milliseconds kPollInterval{50};
constexpr Milliseconds kEndingTime{1000};

// Polls until `done` holds or the time limit has passed; without a limit only `done`
// ends the wait.
void WaitUntil(bool (*done)(), std::optional<Milliseconds> limit) {
  const auto start = std::chrono::steady_clock::now();
  while (!done() && (!limit || std::chrono::steady_clock::now() - start < *limit)) {
    SleepMilliseconds(static_cast<unsigned>(kPollInterval.count()));
  }
}

bool StopRequestedOrJobEnded() {
  return InterruptRequested() || JobEnded();
}

}  // namespace

RunRequest MakeRunRequest(const HostOptions& options) {
  RunRequest request{};
  request.device = options.device.value_or(0);
  request.port = options.port;
  request.baud = options.baud;
  // Notices come through the status observer, which sees them for every device; a
  // status callback here would print the collectors' notices twice.
  request.status_callback = nullptr;
  return request;
}

int RunJob(const ZelvaneApi& api, const HostOptions& options) {
  api.setMessageHandler(&PrintLibraryMessage);
  api.setStatusObserver(&PrintStatusNotice);
  if (api.create(nullptr) == 0) {
    PrintLine("ScanerCreate failed");
    PrintLastError(api);
    return 1;
  }
  const RunRequest request = MakeRunRequest(options);
  PrintLine("starting device " + std::to_string(request.device) + " on port " +
            std::to_string(request.port) + " at " + std::to_string(request.baud) + " baud");
  // The price checkers' readings are price requests, answered from the price list.
  constexpr std::int32_t kPriceChecker = 702;
  const CodeCallback onCode =
      request.device == kPriceChecker ? &AnswerFromPriceList : &PrintReading;
  if (api.run(&request, onCode) == 0) {
    PrintLine("ScanerRun refused the job");
    PrintLastError(api);
    api.deleteService();
    return 1;
  }

  std::optional<Milliseconds> runTime;
  if (options.seconds) runTime = std::chrono::seconds(*options.seconds);
  PrintLine(runTime ? "running for " + std::to_string(*options.seconds) + " s"
                    : std::string("running; press Ctrl-C to stop"));
  WaitUntil(&StopRequestedOrJobEnded, runTime);

  PrintLine("stopping the job");
  api.breakJob();
  WaitUntil(&JobEnded, kEndingTime);
  PrintLastError(api);
  api.deleteService();
  return 0;
}

}  // namespace zelvane::host
