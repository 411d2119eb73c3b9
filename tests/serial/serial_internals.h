#pragma once

#include <string>

#include "serial/veduvezid.h"

namespace zelvane::testing {

// The serial object with its engine's fields and rules in reach of the tests.
class InspectableSerial : public CVeduvezid {
 public:
  using CVask_SComm::DeriveHandshaking;
  using CVask_SComm::m_cParity;
  using CVask_SComm::m_lLastError;
  using CVask_SComm::m_nBaudRate;
  using CVask_SComm::m_nCommPort;
  using CVask_SComm::m_nCtsFlow;
  using CVask_SComm::m_nDataBits;
  using CVask_SComm::m_nHandshaking;
  using CVask_SComm::m_nRtsMode;
  using CVask_SComm::m_nSio_Error;
  using CVask_SComm::m_nStopBits;
  using CVask_SComm::m_nXonXoff;

  // The line state as the platform reports it for the open port.
  platform::comm::Dcb LineState() const {
    platform::comm::Dcb dcb;
    platform::comm::GetState(GetCommHandle(), dcb);
    return dcb;
  }
};

// A buffer's bytes as a string, for comparisons.
inline std::string Text(const CChrArr& bytes) {
  return std::string(reinterpret_cast<const char*>(bytes.GetData()),
                     static_cast<std::size_t>(bytes.GetSize()));
}

}  // namespace zelvane::testing
