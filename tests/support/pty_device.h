#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace zelvane::testing {

// A serial device at the other end of a COM port, played by the test.
//
// Linux: a pseudo-terminal pair from openpty(); COM port Port() is mapped to its slave
// through ZELVANE_COM<n>, the test plays the device on the master.
// Windows (under Wine): a program cannot make pseudo-terminals, so the runner
// (scripts/run_wine_serial_tests.sh) links two with socat and maps them to two COM
// ports: ZELVANE_TEST_PORT is the one the library opens, ZELVANE_TEST_DEVICE_PORT the
// one this object opens through the platform comm layer to play the device.
inline constexpr const char* kNeedsRunner =
    "no device ports here: run through scripts/run_wine_serial_tests.sh";

class PtyDevice {
 public:
  PtyDevice();
  ~PtyDevice();
  PtyDevice(const PtyDevice&) = delete;
  PtyDevice& operator=(const PtyDevice&) = delete;

  // Whether devices can be made here at all: on Windows only under the runner.
  static bool Available();

  // False when the device could not be made; Error() says why.
  bool IsReady() const;
  const std::string& Error() const;

  // The COM port number the library is to open.
  int Port() const;

  // The device sends these bytes.
  bool Write(std::string_view bytes);
  // What the library sent: up to `count` bytes, waiting at most `timeoutMs` for them.
  std::string Read(std::size_t count, int timeoutMs);

  // The device goes away (pseudo-terminal master closed), as a pulled USB adapter.
  void Disappear();
  // A new device on the same port number; true when it is there.
  bool Reappear();

  // Whether the platform reports the line state back as the library set it. Our
  // POSIX backend does; Wine rebuilds it from the pseudo-terminal, which keeps only
  // the speed (Linux forces 8 data bits without parity there and has no modem lines),
  // and Wine takes any speed, even those Windows refuses.
  static bool ReportsLineStateAsSet();

  // A COM port number that leads to no device.
  static int MissingPort();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace zelvane::testing
