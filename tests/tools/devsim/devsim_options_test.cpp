#include "devsim_options.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

namespace zelvane::devsim {
namespace {

DevsimOptions Parsed(const std::vector<std::string>& arguments) {
  DevsimParseResult result = ParseDevsimOptions(arguments);
  if (const std::string* problem = std::get_if<std::string>(&result)) {
    ADD_FAILURE() << "refused: " << *problem;
    return {};
  }
  return std::get<DevsimOptions>(result);
}

std::string Refusal(const std::vector<std::string>& arguments) {
  DevsimParseResult result = ParseDevsimOptions(arguments);
  const std::string* problem = std::get_if<std::string>(&result);
  return problem != nullptr ? *problem : "accepted";
}

template <typename Script>
Script ScriptOf(const std::vector<std::string>& arguments) {
  const DevsimOptions options = Parsed(arguments);
  const Script* script = std::get_if<Script>(&options.script.device);
  if (script == nullptr) ADD_FAILURE() << "another device";
  return script != nullptr ? *script : Script{};
}

TEST(DevsimOptions, ScannerCuesFollowTheCommandLineOrder) {
  const ScannerScript script = ScriptOf<ScannerScript>(
      {"tysso", "--codes", "12345,ABC", "--noise", "40", "--burst", "1,2", "--overlong", "200"});
  EXPECT_EQ(script.lineEnd, LineEnd::kCr);
  ASSERT_EQ(script.cues.size(), 5u);
  EXPECT_EQ(std::get<ScannedCodes>(script.cues[0]).codes, std::vector<std::string>{"12345"});
  EXPECT_EQ(std::get<ScannedCodes>(script.cues[1]).codes, std::vector<std::string>{"ABC"});
  EXPECT_EQ(std::get<Noise>(script.cues[2]).length, 40u);
  EXPECT_EQ(std::get<ScannedCodes>(script.cues[3]).codes, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(std::get<OverlongLine>(script.cues[4]).length, 200u);
}

TEST(DevsimOptions, DeviceWithoutCuesPlaysItsDemo) {
  const DevsimOptions options = Parsed({"metrologic", "--every", "250", "--port", "3"});
  EXPECT_FALSE(std::get<ScannerScript>(options.script.device).cues.empty());
  EXPECT_EQ(options.script.beatEvery.count(), 250);
  EXPECT_EQ(options.comPort, 3);
  EXPECT_EQ(std::get<ScannerScript>(options.script.device).lineEnd, LineEnd::kCrLf);
}

TEST(DevsimOptions, ScaleReadingsKeepTheirKindsAndSigns) {
  const LineScaleScript script = ScriptOf<LineScaleScript>(
      {"radwag", "--weights", "1.234,0,-2.5", "--unstable", "3", "--not-ok", "4", "--malformed"});
  EXPECT_EQ(script.model, LineScaleModel::kRadwag);
  ASSERT_EQ(script.readings.size(), 6u);
  EXPECT_DOUBLE_EQ(script.readings[0].kilograms, 1.234);
  EXPECT_DOUBLE_EQ(script.readings[2].kilograms, -2.5);
  EXPECT_EQ(script.readings[2].kind, ReadingKind::kStable);
  EXPECT_EQ(script.readings[3].kind, ReadingKind::kUnstable);
  EXPECT_EQ(script.readings[4].kind, ReadingKind::kNotOk);
  EXPECT_EQ(script.readings[5].kind, ReadingKind::kMalformed);
}

TEST(DevsimOptions, FawagDecimalsChooseTheLineShape) {
  EXPECT_EQ(ScriptOf<LineScaleScript>({"fawag", "--weights", "1"}).model,
            LineScaleModel::kFawagTwoDecimals);
  EXPECT_EQ(ScriptOf<LineScaleScript>({"fawag", "--decimals", "3"}).model,
            LineScaleModel::kFawagThreeDecimals);
  EXPECT_EQ(Refusal({"fawag", "--decimals", "1"}), "bad value '1' for --decimals");
  EXPECT_EQ(Refusal({"radwag", "--decimals", "2"}), "--decimals is not an option of radwag");
}

TEST(DevsimOptions, CasStepsFollowTheCommandLineOrder) {
  const CasScript script = ScriptOf<CasScript>({"cas", "--answers", "S  0.000kg,S  1.234kg",
                                                "--nak", "--silence", "--bad-bcc", "U  1.000kg"});
  ASSERT_EQ(script.steps.size(), 5u);
  EXPECT_EQ(std::get<CasAnswer>(script.steps[0]).text, "S  0.000kg");
  EXPECT_EQ(std::get<CasAnswer>(script.steps[1]).text, "S  1.234kg");
  EXPECT_FALSE(std::get<CasAnswer>(script.steps[1]).wrongCheck);
  EXPECT_TRUE(std::holds_alternative<CasRefusal>(script.steps[2]));
  EXPECT_TRUE(std::holds_alternative<CasSilence>(script.steps[3]));
  EXPECT_EQ(std::get<CasAnswer>(script.steps[4]).text, "U  1.000kg");
  EXPECT_TRUE(std::get<CasAnswer>(script.steps[4]).wrongCheck);
}

// Each step as text: a record "code:quantity", a cue by its number.
template <typename Step, typename Record>
std::vector<std::string> StepTexts(const std::vector<Step>& steps) {
  std::vector<std::string> texts;
  for (const Step& step : steps) {
    if (const Record* record = std::get_if<Record>(&step)) {
      texts.push_back(record->code + ":" + record->quantity);
    } else {
      texts.push_back("cue " + std::to_string(static_cast<int>(std::get<1>(step))));
    }
  }
  return texts;
}

TEST(DevsimOptions, TerminalsThatLeadTakeRecordsFilesCuesAndTheirPace) {
  const BhtScript bht = ScriptOf<BhtScript>(
      {"bht", "--bad-check", "--file", "A:1,B:", "--file", "C:3", "--stray-byte", "--baud", "0"});
  EXPECT_EQ(bht.baud, 0);
  EXPECT_EQ((StepTexts<BhtStep, BhtRecordStep>(bht.steps)),
            (std::vector<std::string>{"cue 1", "A:1", "B:", "cue 0", "C:3", "cue 4"}));
  const CasioScript casio =
      ScriptOf<CasioScript>({"casio", "--late-etx", "--records", "ABC:12.5,A:B:1", "--silence"});
  EXPECT_EQ(casio.baud, 19200);
  EXPECT_EQ((StepTexts<CasioStep, CasioRecordStep>(casio.steps)),
            (std::vector<std::string>{"cue 0", "ABC:12.5", "A:B:1", "cue 1"}));
  EXPECT_EQ(ScriptOf<BhtScript>({"bht", "--generate", "3"}).steps.size(), 3u);
  EXPECT_EQ(Refusal({"bht", "--file", "A"}), "bad value 'A' for --file");
  EXPECT_EQ(Refusal({"casio", "--records", ":1"}), "bad value ':1' for --records");
  EXPECT_EQ(Refusal({"casio", "--bad-check"}), "--bad-check is not an option of casio");
}

TEST(DevsimOptions, RefusesWhatNoDeviceCouldPlay) {
  EXPECT_EQ(Refusal({}), "no device given");
  EXPECT_EQ(Refusal({"epson"}), "unknown device 'epson'");
  EXPECT_EQ(Refusal({"cas", "--codes", "1"}), "--codes is not an option of cas");
  EXPECT_EQ(Refusal({"metrologic", "--weights", "1"}), "--weights is not an option of metrologic");
  EXPECT_EQ(Refusal({"radwag", "--weights"}), "--weights needs a value");
  EXPECT_EQ(Refusal({"radwag", "--weights", "1,x"}), "bad value '1,x' for --weights");
  EXPECT_EQ(Refusal({"radwag", "--weights", "1000"}), "bad value '1000' for --weights");
  EXPECT_EQ(Refusal({"fawag", "--weights", "-100"}), "bad value '-100' for --weights");
  EXPECT_EQ(Refusal({"tysso", "--noise", "0"}), "bad value '0' for --noise");
  EXPECT_EQ(Refusal({"tysso", "--every", "-1"}), "bad value '-1' for --every");
  EXPECT_EQ(Refusal({"tysso", "--bogus"}), "unknown option '--bogus'");
  EXPECT_EQ(Refusal({"cas", "--fault", "melt@3"}), "bad value 'melt@3' for --fault");
  EXPECT_EQ(Refusal({"cas", "--fault", "drop@x"}), "bad value 'drop@x' for --fault");
}

TEST(DevsimOptions, FaultStrikesItsByteOrOneDrawnFromTheSeedWhateverTheOrder) {
  const std::optional<LineFault> placed = Parsed({"cas", "--fault", "cut@17"}).fault;
  ASSERT_TRUE(placed);
  EXPECT_EQ(placed->kind, FaultKind::kCut);
  EXPECT_EQ(placed->atByte, 17u);
  const auto drawn = [](const char* seed) {
    return Parsed({"radwag", "--fault", "flip", "--seed", seed}).fault->atByte;
  };
  EXPECT_EQ(drawn("7"), drawn("7"));
  EXPECT_NE(drawn("7"), drawn("8"));
  EXPECT_LT(drawn("9"), 256u);
  EXPECT_FALSE(Parsed({"tysso"}).fault);
}

TEST(DevsimOptions, HelpNeedsNoDevice) {
  EXPECT_TRUE(Parsed({"--help"}).help);
  EXPECT_TRUE(Parsed({"cas", "--help"}).help);
}

}  // namespace
}  // namespace zelvane::devsim
