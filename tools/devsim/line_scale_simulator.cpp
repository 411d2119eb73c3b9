#include "line_scale_simulator.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <system_error>
#include <utility>

namespace zelvane::devsim {
namespace {

// A scale model as a table row: the line is the mark, the weight right-aligned in
// `weightWidth` characters with `decimals` decimals, then `suffix`.
struct LineShape {
  int weightWidth;
  int decimals;
  const char* suffix;
};

LineShape ShapeOf(LineScaleModel model) {
  switch (model) {
    case LineScaleModel::kRadwag: return {8, 3, " kg  "};
    case LineScaleModel::kFawagTwoDecimals: return {7, 2, ""};
    case LineScaleModel::kFawagThreeDecimals: return {7, 3, ""};
  }
  return {8, 3, ""};
}

char MarkOf(ReadingKind kind) {
  switch (kind) {
    case ReadingKind::kUnstable: return 'U';
    case ReadingKind::kNotOk: return 'N';
    case ReadingKind::kStable:
    case ReadingKind::kMalformed: break;
  }
  return ' ';
}

// Fixed-point text with a point whatever the locale.
std::string WeightText(double kilograms, int decimals) {
  // A zero is written without a sign even when it came out of a subtraction as -0.
  if (kilograms == 0) kilograms = 0;
  char text[32];
  const auto [end, error] =
      std::to_chars(text, text + sizeof(text), kilograms, std::chars_format::fixed, decimals);
  return error == std::errc() ? std::string(text, end) : std::string();
}

// The request a Radwag or Fawag scale answers, without its CR LF.
constexpr std::string_view kWeighRequest = "D";
// Longer requests are not ours; keeping them short bounds what a talkative PC costs.
constexpr std::size_t kLongestRequest = 16;

}  // namespace

std::string ReadingLine(LineScaleModel model, const Reading& reading) {
  const LineShape shape = ShapeOf(model);
  std::string weight = WeightText(reading.kilograms, shape.decimals);
  const std::size_t width = static_cast<std::size_t>(shape.weightWidth);
  if (weight.size() < width) weight.insert(0, width - weight.size(), ' ');
  std::string line = MarkOf(reading.kind) + weight + shape.suffix;
  if (reading.kind == ReadingKind::kMalformed) {
    std::replace_if(
        line.begin(), line.end(),
        [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }, '-');
    line.pop_back();
  }
  return line;
}

LineScaleSimulator::LineScaleSimulator(DeviceLink& link, LineScaleModel model,
                                       std::vector<Reading> script)
    : DeviceSimulator(link), m_model(model), m_script(std::move(script)) {}

bool LineScaleSimulator::SendReading(const Reading& reading) {
  return Send(ReadingLine(m_model, reading) + "\r\n");
}

void LineScaleSimulator::SendNextReading() {
  if (const Reading* reading = m_script.Next()) SendReading(*reading);
}

void LineScaleSimulator::Receive(char byte) {
  if (byte != '\n') {
    if (m_request.size() < kLongestRequest) m_request += byte;
    return;
  }
  if (m_request == std::string(kWeighRequest) + '\r') SendNextReading();
  m_request.clear();
}

void LineScaleSimulator::Beat() {
  SendNextReading();
}

}  // namespace zelvane::devsim
