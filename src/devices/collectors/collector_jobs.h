#pragma once

#include <mutex>

#include "devices/collectors/cipherlab.h"
#include "devices/device_job.h"

namespace zelvane {

// CipherLab terminals, device codes 500 and 501: records of name, code, quantity and
// price. The port opens at the speed in word 2 of the request. Run mode 1 only keeps
// the port open, so that the host can load single records into the terminal with
// ScanerSetBarCodeInfo; run mode 2 reads the terminal's records, run mode 3 loads the
// host's lines into it. The check values of the run's frames go to its trace log.
class CCP_DCOLL : public CDeviceJob<CCipherLab> {
 public:
  CCP_DCOLL() : CCP_DCOLL(cipherlab::RecordLayout::kFull) {}

  int OpenDevice(int port, const RunRequest* request) override;
  int CloseDevice(int port) override;
  // Collectors deliver nothing by polling: an empty text and 0.
  int ReadCode(int port, char* text) override;
  int ReadCollector(int port, RecordCallback callback) override;
  // Loads `count` lines of the host's array. Refused (0, nothing sent) unless this
  // job's device is open and no other transfer of the job uses the port, as when the
  // host's ScanerSetBarCodeInfo comes during a read.
  int LoadCollector(int port, void* records, int count, int third, int fourth) override;

 protected:
  explicit CCP_DCOLL(cipherlab::RecordLayout layout) : m_layout(layout) {}

 private:
  // A failed transfer leaves the protocol's reason, when it has one, as the job's.
  int TakeTransferResult(int result);

  const cipherlab::RecordLayout m_layout;
  // Held by each transfer and by the close: a load from the host's thread and the
  // worker never use the port at the same time.
  std::mutex m_portUse;
};

// CipherLab terminals with short records of code and quantity, device code 504.
class CSP_DCOLL final : public CCP_DCOLL {
 public:
  CSP_DCOLL() : CCP_DCOLL(cipherlab::RecordLayout::kShort) {}
};

}  // namespace zelvane
