#include "simulated_port.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#if !defined(_WIN32)
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#endif

namespace zelvane::devsim {
namespace {

std::string Refusal(int deviceCode) {
  const SimulatedPortResult result = SimulatedPort::StartDemo(deviceCode);
  const std::string* problem = std::get_if<std::string>(&result);
  return problem != nullptr ? *problem : "started";
}

TEST(DemoScript, EveryScannerScaleAndCipherLabCodeHasOne) {
  for (const int code : {400, 401, 402, 403, 404, 405, 500, 501, 504, 600, 601, 602}) {
    EXPECT_TRUE(DemoScript(code).has_value()) << code;
  }
  for (const int code : {0, 399, 406, 502, 599, 603, 702}) {
    EXPECT_FALSE(DemoScript(code).has_value()) << code;
  }
  EXPECT_NE(Refusal(702).find("702"), std::string::npos);
}

TEST(DemoScript, DeviceCodesPickTheirFamilies) {
  const auto lineEnd = [](int code) {
    return std::get<ScannerScript>(DemoScript(code)->device).lineEnd;
  };
  EXPECT_EQ(lineEnd(400), LineEnd::kCr);
  EXPECT_EQ(lineEnd(401), LineEnd::kCr);
  EXPECT_EQ(lineEnd(402), LineEnd::kCrLf);
  EXPECT_EQ(lineEnd(405), LineEnd::kCrLf);
  EXPECT_EQ(std::get<LineScaleScript>(DemoScript(601)->device).model, LineScaleModel::kRadwag);
  EXPECT_NE(std::get<LineScaleScript>(DemoScript(600)->device).model, LineScaleModel::kRadwag);
  EXPECT_TRUE(std::holds_alternative<CasScript>(DemoScript(602)->device));
}

#if defined(_WIN32)

TEST(SimulatedPort, WindowsSaysWhyThereIsNone) {
  EXPECT_NE(Refusal(402).find("pseudo-terminal"), std::string::npos);
}

#else

// The PC's end: the slave opened by its path, as the library opens a mapped COM port.
class PcPort {
 public:
  explicit PcPort(const std::string& path) : m_fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {}
  ~PcPort() {
    if (m_fd >= 0) close(m_fd);
  }
  bool IsOpen() const { return m_fd >= 0; }

  void Write(const std::string& bytes) {
    ASSERT_EQ(write(m_fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  // Up to `count` bytes within `timeoutMs`, fewer when `last` has come.
  std::string Read(std::size_t count, int timeoutMs, std::optional<char> last = std::nullopt) {
    std::string received;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (received.size() < count && (!last || received.empty() || received.back() != *last)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      pollfd readable{m_fd, POLLIN, 0};
      if (left.count() <= 0 || poll(&readable, 1, static_cast<int>(left.count())) <= 0) break;
      char chunk[256];
      const std::size_t wanted = last ? 1 : std::min(sizeof(chunk), count - received.size());
      const ssize_t got = read(m_fd, chunk, wanted);
      if (got <= 0) break;
      received.append(chunk, static_cast<std::size_t>(got));
    }
    return received;
  }

 private:
  int m_fd;
};

std::unique_ptr<SimulatedPort> Started(int deviceCode) {
  SimulatedPortResult result = SimulatedPort::StartDemo(deviceCode);
  if (const std::string* problem = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << *problem;
    return nullptr;
  }
  return std::move(std::get<std::unique_ptr<SimulatedPort> >(result));
}

TEST(SimulatedPort, DemoScannerSendsCodesToTheSlave) {
  const std::unique_ptr<SimulatedPort> port = Started(402);
  ASSERT_TRUE(port);
  EXPECT_EQ(port->SlavePath().rfind("/dev/", 0), 0u) << port->SlavePath();
  PcPort pc(port->SlavePath());
  ASSERT_TRUE(pc.IsOpen());
  const std::string line = pc.Read(64, 3000, '\n');
  ASSERT_GT(line.size(), 2u) << line;
  EXPECT_EQ(line.find('\r'), line.size() - 2) << line;
  EXPECT_EQ(line.back(), '\n');
}

TEST(SimulatedPort, DemoRadwagPushesLinesTheJobReads) {
  const std::unique_ptr<SimulatedPort> port = Started(601);
  ASSERT_TRUE(port);
  PcPort pc(port->SlavePath());
  ASSERT_TRUE(pc.IsOpen());
  const std::string line = pc.Read(64, 3000, '\n');
  ASSERT_EQ(line.size(), 16u) << line;
  EXPECT_EQ(line.substr(14), "\r\n");
}

TEST(SimulatedPort, DemoCasScaleHoldsTheDialogueOnTheSlave) {
  const std::unique_ptr<SimulatedPort> port = Started(602);
  ASSERT_TRUE(port);
  PcPort pc(port->SlavePath());
  ASSERT_TRUE(pc.IsOpen());
  pc.Write(std::string(1, cas::kEnq));
  EXPECT_EQ(pc.Read(1, 2000), std::string(1, cas::kAck));
  pc.Write(std::string(1, cas::kDc1));
  const std::string reading = pc.Read(15, 2000);
  ASSERT_EQ(reading.size(), 15u);
  EXPECT_EQ(reading.substr(0, 2), std::string({cas::kSoh, cas::kStx}));
  EXPECT_EQ(reading[12], BlockCheck(reading.substr(2, 10)));
  EXPECT_EQ(reading.substr(13), std::string({cas::kEtx, cas::kEot}));
}

TEST(SimulatedPort, EndsPromptlyWhileThePcHoldsThePortOpen) {
  std::unique_ptr<SimulatedPort> port = Started(401);
  ASSERT_TRUE(port);
  PcPort pc(port->SlavePath());
  const auto asked = std::chrono::steady_clock::now();
  port.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::milliseconds(300));
}

#endif

}  // namespace
}  // namespace zelvane::devsim
