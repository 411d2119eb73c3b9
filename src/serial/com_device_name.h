#pragma once

#include <string>

namespace zelvane {

// The system name of COM port n (1..255, not checked): "COM9" for the first nine; from
// ten on the name only resolves under the device namespace prefix, "\\.\COM10".
std::string ComDeviceName(int port);

}  // namespace zelvane
