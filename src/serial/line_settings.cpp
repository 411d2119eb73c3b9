#include "serial/line_settings.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <iterator>

#include "platform/comm.h"

namespace zelvane {

namespace comm = platform::comm;

namespace {

// Reads the fields of a settings text one at a time, as scanf would.
class SettingsReader {
 public:
  explicit SettingsReader(const char* text) : m_at(text), m_end(text + std::strlen(text)) {}

  bool Number(int& value) {
    while (m_at < m_end && std::isspace(static_cast<unsigned char>(*m_at))) ++m_at;
    if (m_at < m_end && *m_at == '+') ++m_at;
    const auto [next, error] = std::from_chars(m_at, m_end, value);
    if (error != std::errc()) return false;
    m_at = next;
    return true;
  }

  bool Character(char& value) {
    if (m_at >= m_end) return false;
    value = *m_at++;
    return true;
  }

  bool Comma() {
    if (m_at >= m_end || *m_at != ',') return false;
    ++m_at;
    return true;
  }

 private:
  const char* m_at;
  const char* m_end;
};

}  // namespace

SettingsText ParseSettingsText(const char* text) {
  SettingsText fields;
  if (text == nullptr) return fields;
  SettingsReader reader(text);
  int number = 0;
  char letter = 0;
  if (!reader.Number(number)) return fields;
  fields.baudRate = number;
  if (!reader.Comma() || !reader.Character(letter)) return fields;
  fields.parity = letter;
  if (!reader.Comma() || !reader.Number(number)) return fields;
  fields.dataBits = number;
  if (!reader.Comma() || !reader.Number(number)) return fields;
  fields.stopBits = number;
  return fields;
}

std::uint32_t PlatformSpeed(int baudRate) {
  constexpr int kPassed[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                             19200, 38400, 56000, 57600, 115200, 128000, 256000};
  const bool known =
      std::find(std::begin(kPassed), std::end(kPassed), baudRate) != std::end(kPassed);
  return known ? static_cast<std::uint32_t>(baudRate) : kRejectedSpeed;
}

std::uint8_t PlatformParity(char letter) {
  switch (letter) {
    case 'E': return comm::kEvenParity;
    case 'M': return comm::kMarkParity;
    case 'N': return comm::kNoParity;
    case 'O': return comm::kOddParity;
    case 'S': return comm::kSpaceParity;
    default: return kRejectedCode;
  }
}

std::uint8_t PlatformDataBits(int dataBits) {
  return dataBits >= 5 && dataBits <= 8 ? static_cast<std::uint8_t>(dataBits) : kRejectedCode;
}

std::uint8_t PlatformStopBits(int code) {
  switch (code) {
    case 1: return comm::kOneStopBit;
    case 2: return comm::kTwoStopBits;
    case 3: return comm::kOne5StopBits;
    default: return kRejectedCode;
  }
}

}  // namespace zelvane
