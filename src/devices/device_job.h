#pragma once

#include <concepts>
#include <string>
#include <utility>

#include "jobs/logic_scaner.h"
#include "serial/veduvezid.h"

namespace zelvane {

// What every device job does with the protocol object it holds: bind it to the job's
// serial object and host link, open it, copy its error into the job when the open fails, close it,
// and take its error texts. Collector operations do nothing unless a job has them.
template <class Protocol>
class CDeviceJob : public CLogicScaner {
 public:
  // The protocol object is made from what the job is given: most need nothing.
  template <typename... ProtocolArguments>
  requires std::constructible_from<Protocol, ProtocolArguments...>
  explicit CDeviceJob(ProtocolArguments&&... arguments)
      : m_protocol(std::forward<ProtocolArguments>(arguments)...) {}

  std::string ErrorText(int code) override { return m_protocol.ErrorText(code); }

  int OpenDevice(int port, const RunRequest*) override {
    if (!BindProtocol()) return 0;
    return TakeOpenResult(m_protocol.Open(port));
  }

  int CloseDevice(int) override {
    m_protocol.Close();
    return 1;
  }

  int ReadCollector(int, RecordCallback) override { return 0; }
  int LoadCollector(int, void*, int, int, int) override { return 0; }

  Protocol& GetProtocol() { return m_protocol; }

 protected:
  // Gives the protocol the job's serial object and host link; false when the job has
  // no serial object.
  bool BindProtocol() {
    CVeduvezid* comm = GetComm();
    if (comm == nullptr) return false;
    m_protocol.SetComm(comm);
    m_protocol.SetHostLink(GetHostLink());
    return true;
  }

  // A failed open leaves the protocol's code and its text as the job's error.
  int TakeOpenResult(int opened) {
    if (opened == 0) {
      const int code = m_protocol.GetError();
      SetError(code, ErrorText(code));
    }
    return opened;
  }

  // A failed transfer leaves the protocol's reason, when it has one, as the job's.
  int TakeTransferResult(int result) {
    const int code = m_protocol.GetError();
    if (result != 1 && code != 0) SetError(code, ErrorText(code));
    return result;
  }

  Protocol m_protocol;
};

}  // namespace zelvane
