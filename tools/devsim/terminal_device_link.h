#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "device_link.h"
#include "terminal_link.h"

namespace zelvane::devsim {

// A price-checker terminal's connection as a device link, so that what the terminal
// sends can pass through the same line faults as a serial device's output.
class TerminalDeviceLink : public DeviceLink {
 public:
  explicit TerminalDeviceLink(spr_lan::TerminalLink& connection) : m_connection(connection) {}

  bool Write(std::string_view bytes) override { return m_connection.Send(bytes); }
  std::string Read(std::size_t count, int timeoutMs) override;

 private:
  spr_lan::TerminalLink& m_connection;
  std::string m_received;  // what came beyond the count of an earlier read
};

}  // namespace zelvane::devsim
