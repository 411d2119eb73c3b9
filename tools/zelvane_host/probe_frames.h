#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "buffers/chr_arr.h"

namespace zelvane::host {

// The library's byte buffers and the probe's strings, byte for byte (NULs included).
CChrArr AsBytes(std::string_view text);
std::string AsText(const CChrArr& bytes);

// The device families a port probe tells apart.
enum class ProbedFamily {
  kMetrologic,
  kTysso,
  kRadwag,
  kFawag,
  kCasAp1,
  kCipherLab,
  kBht6045,
  kCasioDt700,
};

// What the bytes from a port showed.
struct ProbeFinding {
  ProbedFamily family;
  std::string reading;     // the code, weight or call as the device sent it
  std::string weightCode;  // scales: the code the library hands the host for it
};

// The family's name, its device codes, and the speed the library talks to it at (0:
// the speed of the run request, as for the CipherLab collectors).
struct FamilyFacts {
  const char* name;
  const char* deviceCodes;
  int librarySpeed;
};
FamilyFacts FactsOf(ProbedFamily family);

// The device whose frames the bytes heard at `baud` hold, by the library's own
// decoders: a scale's weight line (at the scales' speeds), a scanner's code line, a
// CipherLab record frame or end marker, the call of a BHT-6045 (ENQ) or of a DT-700
// ("?" ETX), each only at the speeds its family uses. A line ended by CR alone is a
// Tysso code once a byte follows it or `ended` says that no more will come.
std::optional<ProbeFinding> SpotFrames(std::string_view heard, int baud, bool ended);

// The CAS AP-1 scale's part of its dialogue after ENQ and DC1: ACK, SOH, the answer
// block and EOT. Nothing unless all of it is there and the block holds an answer.
std::optional<ProbeFinding> SpotCasReading(std::string_view replies);

// Whether scales are asked for a reading at `baud`: the speeds they are set to.
bool IsScaleSpeed(int baud);

}  // namespace zelvane::host
