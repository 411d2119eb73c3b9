// What the serial waits cost while nothing happens, and how soon they end when
// something does. Runs on Linux against a pseudo-terminal and, built for Windows,
// under Wine through scripts/run_wine_serial_tests.sh (COM ports linked by socat).
//
//   serial_wait_benchmark [seconds]     (default 5)
//
// For each of three waits that cannot end by themselves (ReceiveUntil on a silent
// line, Send waiting for CTS on a port without CTS, WaitOutputDrained on output that
// nobody reads): processor time over the wait as a share of one core, of this process
// and, under Wine, of the Wine server; then the delay from a break to the return. For
// ReceiveUntil also the delay from a byte's arrival to the return.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "buffers/byte_variant_conversion.h"
#include "platform/clock.h"
#include "process_clock.h"
#include "serial/veduvezid.h"
#include "support/pty_device.h"

namespace {

using zelvane::CChrArr;
using zelvane::CVeduvezid;
using zelvane::testing::PtyDevice;
namespace bench = zelvane::benchmarks;

double MonotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

void PrintCost(const char* what, const std::function<void()>& wait) {
  const double wall = MonotonicSeconds();
  const double cpu = bench::ProcessCpuSeconds();
  const double server = bench::WineServerCpuSeconds();
  wait();
  const double elapsed = MonotonicSeconds() - wall;
  const double used = bench::ProcessCpuSeconds() - cpu;
  std::printf("%-44s wall %5.2f s  process %6.3f %% of a core", what, elapsed,
              100.0 * used / elapsed);
  if (server >= 0.0) {
    std::printf("  wineserver %6.3f %%",
                100.0 * (bench::WineServerCpuSeconds() - server) / elapsed);
  }
  std::printf("\n");
  std::fflush(stdout);
}

// Median and worst delay, over a few rounds, from `trigger` (run on another thread
// 50 ms into the wait) to the return of `wait`.
void PrintDelay(const char* what, const std::function<void()>& trigger,
                const std::function<void()>& wait, const std::function<void()>& reset) {
  constexpr int kRounds = 15;
  std::vector<double> delays;
  for (int round = 0; round < kRounds; ++round) {
    reset();
    double triggeredAt = 0;
    std::thread other([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50 + round % 7));
      triggeredAt = MonotonicSeconds();
      trigger();
    });
    wait();
    const double returnedAt = MonotonicSeconds();
    other.join();
    delays.push_back((returnedAt - triggeredAt) * 1000.0);
  }
  std::sort(delays.begin(), delays.end());
  std::printf("%-44s median %7.3f ms  worst %7.3f ms  (%d rounds)\n", what, delays[kRounds / 2],
              delays.back(), kRounds);
  std::fflush(stdout);
}

bool Open(CVeduvezid& serial, int port) {
  const int status = serial.OpenPort(port, 1024, 1024, 9600, 8, 'N', 1);
  if (status != 0) std::fprintf(stderr, "OpenPort: %d\n", status);
  return status == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  PtyDevice device;
  if (!device.IsReady()) {
    std::fprintf(stderr, "no device: %s\n", device.Error().c_str());
    return 1;
  }
  const int port = device.Port();
  // A limit of s seconds lasts between s and s + 1; the break tests end long before.
  constexpr int kLongLimit = 30;

  CVeduvezid serial;
  if (!Open(serial, port)) return 1;
  const auto reopen = [&] {
    serial.ClosePort(port, 0);
    Open(serial, port);
  };
  PrintCost("ReceiveUntil on a silent line",
            [&] { serial.ReceiveUntil(port, '\r', 128, seconds); });
  PrintDelay(
      "  a byte's arrival to the return", [&] { device.Write("X\r"); },
      [&] { serial.ReceiveUntil(port, '\r', 128, kLongLimit); }, [] {});
  PrintDelay(
      "  a break to the return", [&] { serial.RequestBreak(); },
      [&] { serial.ReceiveUntil(port, '\r', 128, kLongLimit); }, reopen);

  // Neither a pseudo-terminal nor Wine's COM port over one has a CTS line to read.
  const auto ctsFlow = [&] {
    reopen();
    serial.SetCtsFlow(port, 1);
  };
  ctsFlow();
  PrintCost("Send waiting for CTS", [&] { serial.Send(port, "data", seconds); });
  PrintDelay(
      "  a break to the return", [&] { serial.RequestBreak(); },
      [&] { serial.Send(port, "data", kLongLimit); }, ctsFlow);

  // More than the pseudo-terminals (and, under Wine, socat) take while the device
  // reads nothing.
  const CChrArr block('x', 256 * 1024);
  const auto stall = [&] {
    reopen();
    serial.PutOutput(CVeduvezid::ToVariant(block));
  };
  stall();
  PrintCost("WaitOutputDrained on output that cannot drain",
            [&] { serial.WaitOutputDrained(port, seconds); });
  PrintDelay(
      "  a break to the return", [&] { serial.RequestBreak(); },
      [&] { serial.WaitOutputDrained(port, kLongLimit); }, stall);
  serial.FlushOutput(port);
  serial.ClosePort(port, 0);
  return 0;
}
