#pragma once

#include <string>
#include <vector>

#include "cyclic_script.h"
#include "device_simulator.h"

namespace zelvane::devsim {

enum class ReadingKind {
  kStable,
  kUnstable,   // the line starts with "U"
  kNotOk,      // the line starts with "N"
  kMalformed,  // dashes for digits and one character short: neither parsed nor taken
};

// One reading of a scale, in kilograms from -99.999 to 999.999.
struct Reading {
  ReadingKind kind = ReadingKind::kStable;
  double kilograms = 0;
};

// The scales that send their weight as a text line ending in CR LF.
enum class LineScaleModel {
  kRadwag,              // 14 characters, the weight with three decimals in 4..9
  kFawagTwoDecimals,    // 8 characters, the weight in 2..8 with its point in 6
  kFawagThreeDecimals,  // 8 characters, the weight in 2..8 with its point in 5
};

// The line of a reading without its CR LF. Position 1 carries the mark ("U", "N", or a
// space when stable), the weight follows right-aligned.
std::string ReadingLine(LineScaleModel model, const Reading& reading);

// A Radwag or Fawag scale: pushes a line at every beat and answers the request "D"
// CR LF with one. Either way each line carries the next reading of the script.
class LineScaleSimulator : public DeviceSimulator {
 public:
  LineScaleSimulator(DeviceLink& link, LineScaleModel model, std::vector<Reading> script);

  // Sends the line of a reading by itself, on cue.
  bool SendReading(const Reading& reading);

  void Receive(char byte) override;
  void Beat() override;

 private:
  void SendNextReading();

  LineScaleModel m_model;
  CyclicScript<Reading> m_script;
  std::string m_request;
};

}  // namespace zelvane::devsim
