#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

#include "device_link.h"

namespace zelvane::devsim::testing {

// Both ends of a link in memory: the simulator uses the DeviceLink side, the test
// plays the PC with the Pc* calls, from the same or another thread.
class MemoryLink : public DeviceLink {
 public:
  bool Write(std::string_view bytes) override;
  std::string Read(std::size_t count, int timeoutMs) override;

  // The PC sends bytes to the device.
  void PcWrite(std::string_view bytes);
  // Everything the device has sent so far, taken.
  std::string PcTake();
  // Waits at most `timeoutMs` until the device has sent `count` bytes in all, and
  // takes up to that many.
  std::string PcRead(std::size_t count, int timeoutMs);

 private:
  std::mutex m_lock;
  std::condition_variable m_changed;
  std::string m_toDevice;
  std::string m_toPc;
};

}  // namespace zelvane::devsim::testing
