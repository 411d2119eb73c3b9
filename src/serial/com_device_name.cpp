#include "serial/com_device_name.h"

namespace zelvane {

std::string ComDeviceName(int port) {
  const std::string plain = "COM" + std::to_string(port);
  return port <= 9 ? plain : "\\\\.\\" + plain;
}

}  // namespace zelvane
