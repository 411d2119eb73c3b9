// What the serial waits cost while nothing happens, and how soon they notice that
// something did. Each wait runs twice: as the library does it (waiting on the port a
// few milliseconds per pass) and as a reference loop that only yields between passes,
// built from the same public operations.
//
//   serial_wait_benchmark [seconds]     (default 5)
//
// Figures: processor time of the waiting thread as a share of one core over the
// wait, and the delay from a byte's arrival to the return of the wait.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

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
#include "platform/threads.h"
#include "serial/session_deadline.h"
#include "serial/veduvezid.h"

namespace {

using zelvane::CChrArr;
using zelvane::CVeduvezid;

constexpr int kPort = 7;

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A pseudo-terminal whose slave is COM port kPort for the library.
class Line {
 public:
  Line() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    if (openpty(&m_master, &m_slave, name, &raw, nullptr) != 0) {
      std::perror("openpty");
      std::exit(1);
    }
    setenv(("ZELVANE_COM" + std::to_string(kPort)).c_str(), name, 1);
  }
  ~Line() {
    close(m_master);
    close(m_slave);
  }
  void Send(const char* bytes) const {
    if (write(m_master, bytes, std::char_traits<char>::length(bytes)) < 0) std::perror("write");
  }

 private:
  int m_master = -1;
  int m_slave = -1;
};

struct Cost {
  double wallSeconds;
  double cpuSeconds;
};

Cost Measure(const std::function<void()>& wait) {
  const double wall = Seconds(CLOCK_MONOTONIC);
  const double cpu = Seconds(CLOCK_THREAD_CPUTIME_ID);
  wait();
  return {Seconds(CLOCK_MONOTONIC) - wall, Seconds(CLOCK_THREAD_CPUTIME_ID) - cpu};
}

void PrintCost(const char* what, const char* how, const Cost& cost) {
  std::printf("%-46s %-8s wall %6.2f s  cpu %6.3f s  = %6.2f %% of one core\n", what, how,
              cost.wallSeconds, cost.cpuSeconds, 100.0 * cost.cpuSeconds / cost.wallSeconds);
}

// The reference loops: the same operations, yielding between passes.
CChrArr YieldingReceiveUntil(CVeduvezid& serial, std::uint8_t terminator, int seconds) {
  const zelvane::SessionDeadline deadline(seconds);
  for (;;) {
    serial.BytesAvailable(kPort);
    const int position = serial.FindTerminator(kPort, terminator);
    if (position > 0) return serial.Receive(kPort, position, 0);
    zelvane::platform::YieldThread();
    if (serial.IsBreakRequested() || deadline.Passed()) return CChrArr();
    zelvane::platform::YieldThread();
  }
}

void YieldingWaitForCts(CVeduvezid& serial, int seconds) {
  const zelvane::SessionDeadline deadline(seconds);
  while (serial.IsCtsOn() == 0 && !deadline.Passed()) {
    zelvane::platform::YieldThread();
    if (serial.IsBreakRequested()) return;
    zelvane::platform::YieldThread();
  }
}

void YieldingWaitOutputDrained(CVeduvezid& serial, int seconds) {
  const zelvane::SessionDeadline deadline(seconds);
  while (serial.GetOutBufferCount() > 0 && !deadline.Passed()) {
    zelvane::platform::YieldThread();
    if (serial.IsBreakRequested()) return;
    zelvane::platform::YieldThread();
  }
}

bool Open(CVeduvezid& serial, int outSize = 1024) {
  const int status = serial.OpenPort(kPort, 1024, outSize, 9600, 8, 'N', 1);
  if (status != 0) std::fprintf(stderr, "OpenPort: %d\n", status);
  return status == 0;
}

// Median and worst delay between a byte's arrival and the return of `receive`.
void MeasureLatency(const char* how, const Line& line, const std::function<CChrArr()>& receive) {
  constexpr int kRounds = 20;
  std::vector<double> delays;
  for (int round = 0; round < kRounds; ++round) {
    double sentAt = 0;
    std::thread device([&] {
      std::this_thread::sleep_for(std::chrono::milliseconds(50 + round % 7));
      sentAt = Seconds(CLOCK_MONOTONIC);
      line.Send("X\r");
    });
    const CChrArr got = receive();
    const double returnedAt = Seconds(CLOCK_MONOTONIC);
    device.join();
    if (got.GetSize() != 2) std::fprintf(stderr, "round %d: %d bytes\n", round, got.GetSize());
    delays.push_back((returnedAt - sentAt) * 1000.0);
  }
  std::sort(delays.begin(), delays.end());
  std::printf("%-46s %-8s median %6.3f ms  worst %6.3f ms  (%d rounds)\n",
              "delay from a byte to the return of the wait", how, delays[kRounds / 2],
              delays.back(), kRounds);
}

}  // namespace

int main(int argc, char** argv) {
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
  Line line;

  {
    CVeduvezid serial;
    if (!Open(serial)) return 1;
    const char* what = "ReceiveUntil on a silent line";
    PrintCost(what, "yielding", Measure([&] { YieldingReceiveUntil(serial, '\r', seconds); }));
    PrintCost(what, "library", Measure([&] { serial.ReceiveUntil(kPort, '\r', 128, seconds); }));
    MeasureLatency("yielding", line, [&] { return YieldingReceiveUntil(serial, '\r', seconds); });
    MeasureLatency("library", line, [&] { return serial.ReceiveUntil(kPort, '\r', 128, seconds); });
    serial.ClosePort(kPort, 0);
  }
  {
    // A pseudo-terminal has no CTS line, so this wait runs to its deadline.
    CVeduvezid serial;
    if (!Open(serial)) return 1;
    serial.SetCtsFlow(kPort, 1);
    const char* what = "Send waiting for CTS that stays off";
    PrintCost(what, "yielding", Measure([&] { YieldingWaitForCts(serial, seconds); }));
    PrintCost(what, "library", Measure([&] { serial.Send(kPort, "data", seconds); }));
    serial.ClosePort(kPort, 0);
  }
  {
    // Nobody reads the other end: more than the pseudo-terminal takes stays queued.
    CVeduvezid serial;
    if (!Open(serial, 16384)) return 1;
    serial.PutOutput(zelvane::ToVariant(CChrArr('x', 16000)));
    const char* what = "WaitOutputDrained on output that cannot drain";
    PrintCost(what, "yielding", Measure([&] { YieldingWaitOutputDrained(serial, seconds); }));
    PrintCost(what, "library", Measure([&] { serial.WaitOutputDrained(kPort, seconds); }));
    serial.ClosePort(kPort, 0);
  }
  return 0;
}
