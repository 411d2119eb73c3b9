#include "host_options.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace zelvane::host {
namespace {

HostOptions Parsed(const std::vector<std::string>& arguments) {
  ParseResult result = ParseOptions(arguments);
  if (const std::string* problem = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << "refused: " << *problem;
    return {};
  }
  return std::get<HostOptions>(result);
}

std::string Refusal(const std::vector<std::string>& arguments) {
  ParseResult result = ParseOptions(arguments);
  const std::string* problem = std::get_if<std::string>(&result);
  return problem != nullptr ? *problem : "accepted";
}

TEST(HostOptions, DeviceAloneTakesTheDefaults) {
  const HostOptions options = Parsed({"--device", "402"});
  EXPECT_EQ(options.device, 402);
  EXPECT_EQ(options.port, 1);
  EXPECT_EQ(options.baud, 9600);
  EXPECT_FALSE(options.seconds.has_value());
  EXPECT_TRUE(options.library.empty());
  EXPECT_FALSE(options.help);
}

TEST(HostOptions, EveryOptionReachesItsField) {
  const HostOptions options = Parsed({"--port", "3", "--baud", "19200", "--device", "500",
                                      "--seconds", "5", "--library", "/opt/z/libzelvane.so"});
  EXPECT_EQ(options.device, 500);
  EXPECT_EQ(options.port, 3);
  EXPECT_EQ(options.baud, 19200);
  EXPECT_EQ(options.seconds, 5u);
  EXPECT_EQ(options.library, "/opt/z/libzelvane.so");
}

TEST(HostOptions, ARepeatedOptionKeepsItsLastValue) {
  EXPECT_EQ(Parsed({"--device", "400", "--device", "601"}).device, 601);
}

TEST(HostOptions, HelpNeedsNoDevice) {
  EXPECT_TRUE(Parsed({"--help"}).help);
}

TEST(HostOptions, RefusesIncompleteCommandLines) {
  EXPECT_EQ(Refusal({}), "--device is required");
  EXPECT_EQ(Refusal({"--port", "2"}), "--device is required");
  EXPECT_EQ(Refusal({"--device"}), "--device needs a value CODE");
  EXPECT_EQ(Refusal({"--device", "402", "--verbose"}), "unknown option --verbose");
  EXPECT_EQ(Refusal({"402"}), "unknown option 402");
}

TEST(HostOptions, RefusesValuesThatAreNotWholeNumbersInRange) {
  EXPECT_EQ(Refusal({"--device", "40x"}), "invalid value for --device: 40x");
  EXPECT_EQ(Refusal({"--device", ""}), "invalid value for --device: ");
  EXPECT_EQ(Refusal({"--device", "-402"}), "invalid value for --device: -402");
  EXPECT_EQ(Refusal({"--device", "4294967298"}), "invalid value for --device: 4294967298");
  EXPECT_EQ(Refusal({"--device", "402", "--port", "0"}), "invalid value for --port: 0");
  EXPECT_EQ(Refusal({"--device", "402", "--baud", " 9600"}), "invalid value for --baud:  9600");
  EXPECT_EQ(Refusal({"--device", "402", "--seconds", "0"}), "invalid value for --seconds: 0");
  EXPECT_EQ(Refusal({"--device", "402", "--library", ""}), "invalid value for --library: ");
}

TEST(HostOptions, AnOptionIsNotTakenAsTheValueOfTheOneBefore) {
  EXPECT_EQ(Refusal({"--port", "--device", "402"}), "invalid value for --port: --device");
}

TEST(HostOptions, PrintingOptionsReplaceTheDevice) {
  const HostOptions printing = Parsed({"--printer", "HP (redirected 2)", "--print", "a.prn"});
  EXPECT_EQ(printing.printer, "HP (redirected 2)");
  EXPECT_EQ(printing.printFile, "a.prn");
  EXPECT_FALSE(printing.device.has_value());
  EXPECT_TRUE(Parsed({"--list-printers"}).listPrinters);

  EXPECT_EQ(Refusal({"--print", "a.prn"}), "--print needs --printer");
  EXPECT_EQ(Refusal({"--device", "402", "--list-printers"}),
            "--device and the printing options exclude each other");
  EXPECT_EQ(Refusal({"--printer", ""}), "invalid value for --printer: ");
}

TEST(HostOptions, TheProbeTakesAPortAndNoDevice) {
  const HostOptions probe = Parsed({"--probe", "--port", "3"});
  EXPECT_TRUE(probe.probe);
  EXPECT_EQ(probe.port, 3);
  EXPECT_EQ(Refusal({"--probe", "--device", "402"}),
            "--probe excludes --device and the printing options");
  EXPECT_EQ(Refusal({"--probe", "--list-printers"}),
            "--probe excludes --device and the printing options");
}

}  // namespace
}  // namespace zelvane::host
