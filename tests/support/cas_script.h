#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/scripted_responder.h"

namespace zelvane::testing {

// Wire bytes of a CAS AP-1 scale, for the scripted responder.

// STX, the answer, its check character (or `check` when given), ETX.
std::string CasBlock(const std::string& answer);
std::string CasBlock(const std::string& answer, std::uint8_t check);

// One whole reading: ENQ answered by ACK, then DC1 answered by SOH, `block`, EOT.
std::vector<ScriptedResponder::Step> CasReading(const std::string& block);
// Readings of the answers one after another, each with its right check character.
std::vector<ScriptedResponder::Step> CasReadings(const std::vector<std::string>& answers);

// A scale that is not ready: ENQ is answered by NAK, so an exchange fails at once.
ScriptedResponder::Step CasNotReady();

}  // namespace zelvane::testing
