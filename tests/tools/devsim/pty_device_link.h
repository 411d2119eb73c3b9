#pragma once

#include <string>
#include <string_view>

#include "device_link.h"
#include "support/pty_device.h"

namespace zelvane::devsim::testing {

// The test's device end of a port as the simulators' link.
class PtyDeviceLink : public DeviceLink {
 public:
  explicit PtyDeviceLink(zelvane::testing::PtyDevice& device) : m_device(device) {}
  bool Write(std::string_view bytes) override { return m_device.Write(bytes); }
  std::string Read(std::size_t count, int timeoutMs) override {
    return m_device.Read(count, timeoutMs);
  }

 private:
  zelvane::testing::PtyDevice& m_device;
};

}  // namespace zelvane::devsim::testing
