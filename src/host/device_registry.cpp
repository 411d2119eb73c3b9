#include "host/device_registry.h"

namespace zelvane {

const DeviceEntry* FindDevice(std::span<const DeviceEntry> devices, std::int32_t deviceCode) {
  for (const DeviceEntry& device : devices) {
    if (deviceCode >= device.firstCode && deviceCode <= device.lastCode) return &device;
  }
  return nullptr;
}

}  // namespace zelvane
