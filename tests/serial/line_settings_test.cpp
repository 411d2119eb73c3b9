// The settings text of the port engine and the line codes its settings become, without
// a port.
#include "serial/line_settings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>

#include "platform/comm.h"

namespace zelvane {
namespace {

namespace comm = platform::comm;

TEST(SettingsText, FieldsAreTakenUpToTheFirstThatDoesNotMatch) {
  struct Case {
    const char* text;
    std::optional<int> baudRate;
    std::optional<char> parity;
    std::optional<int> dataBits;
    std::optional<int> stopBits;
  };
  const Case cases[] = {
      {"9600,N,8,1", 9600, 'N', 8, 1},
      {"19200,E,7,2", 19200, 'E', 7, 2},
      {" 2400,S,5,3", 2400, 'S', 5, 3},
      {"+1200,O, 8, 1", 1200, 'O', 8, 1},
      {"4800,O", 4800, 'O', std::nullopt, std::nullopt},
      {"4800,", 4800, std::nullopt, std::nullopt, std::nullopt},
      {"4800;N,8,1", 4800, std::nullopt, std::nullopt, std::nullopt},
      {"115200,n,8,1", 115200, 'n', 8, 1},
      {"9600,,8,1", 9600, ',', std::nullopt, std::nullopt},
      {"9600,N,eight,1", 9600, 'N', std::nullopt, std::nullopt},
      {"fast,N,8,1", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"99999999999,N,8,1", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt, std::nullopt, std::nullopt},
      {"-300,N,8,1", -300, 'N', 8, 1},
  };
  for (const Case& c : cases) {
    const SettingsText fields = ParseSettingsText(c.text);
    EXPECT_EQ(fields.baudRate, c.baudRate) << c.text;
    EXPECT_EQ(fields.parity, c.parity) << c.text;
    EXPECT_EQ(fields.dataBits, c.dataBits) << c.text;
    EXPECT_EQ(fields.stopBits, c.stopBits) << c.text;
  }
  const SettingsText none = ParseSettingsText(nullptr);
  EXPECT_FALSE(none.baudRate);
}

TEST(LineCodes, TheEngineSettingsBecomeThePlatformsCodesOrTheRejectedOne) {
  struct SpeedCase {
    int baudRate;
    std::uint32_t code;
  };
  const SpeedCase speeds[] = {{110, 110},
                              {9600, 9600},
                              {14400, 14400},
                              {56000, 56000},
                              {256000, 256000},
                              {75, kRejectedSpeed},
                              {230400, kRejectedSpeed},
                              {0, kRejectedSpeed},
                              {-9600, kRejectedSpeed}};
  for (const SpeedCase& c : speeds) EXPECT_EQ(PlatformSpeed(c.baudRate), c.code) << c.baudRate;

  struct ParityCase {
    char letter;
    std::uint8_t code;
  };
  const ParityCase parities[] = {{'E', comm::kEvenParity},  {'M', comm::kMarkParity},
                                 {'N', comm::kNoParity},    {'O', comm::kOddParity},
                                 {'S', comm::kSpaceParity}, {'n', kRejectedCode},
                                 {'X', kRejectedCode},      {'\0', kRejectedCode}};
  for (const ParityCase& c : parities) EXPECT_EQ(PlatformParity(c.letter), c.code) << c.letter;

  struct NumberCase {
    int value;
    std::uint8_t code;
  };
  const NumberCase dataBits[] = {{4, kRejectedCode}, {5, 5}, {7, 7}, {8, 8}, {9, kRejectedCode}};
  for (const NumberCase& c : dataBits) EXPECT_EQ(PlatformDataBits(c.value), c.code) << c.value;
  const NumberCase stopBits[] = {{0, kRejectedCode},
                                 {1, comm::kOneStopBit},
                                 {2, comm::kTwoStopBits},
                                 {3, comm::kOne5StopBits},
                                 {4, kRejectedCode}};
  for (const NumberCase& c : stopBits) EXPECT_EQ(PlatformStopBits(c.value), c.code) << c.value;
}

}  // namespace
}  // namespace zelvane
