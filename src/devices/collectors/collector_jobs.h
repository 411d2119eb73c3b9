#pragma once

#include "devices/collectors/bht6045.h"
#include "devices/collectors/casio_dt700.h"
#include "devices/collectors/cipherlab.h"
#include "devices/collectors/port_use.h"
#include "devices/device_job.h"
#include "devices/reading_delivery.h"
#include "jobs/notice_codes.h"

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
  // Waits for a host's load in progress, so that nothing is sent after the close.
  int CloseDevice(int port) override;
  // Collectors deliver nothing by polling: an empty text and 0.
  int ReadCode(int port, char* text) override;
  int ReadCollector(int port, RecordCallback callback) override;
  // Loads `count` lines of the host's array: the run's own load (run mode 3).
  int LoadCollector(int port, void* records, int count, int third, int fourth) override;

 protected:
  explicit CCP_DCOLL(cipherlab::RecordLayout layout) : m_layout(layout) {}

  // The host's single record: refused (0, nothing sent) unless the device is open and
  // nobody else uses the port.
  int LoadHostRecord(HostLineRecord* record) override;

 private:
  int Load(void* records, int count);

  const cipherlab::RecordLayout m_layout;
  PortUse m_portUse;
};

// CipherLab terminals with short records of code and quantity, device code 504.
class CSP_DCOLL final : public CCP_DCOLL {
 public:
  CSP_DCOLL() : CCP_DCOLL(cipherlab::RecordLayout::kShort) {}
};

// Terminals that lead their own download and hand over readings of code and
// quantity: the port opens at the protocol's fixed line settings whatever word 2 of the
// request says, run mode 2 reads the terminal's records into the host, and nothing can
// be loaded into them (run mode 3 and ScanerSetBarCodeInfo fail without touching the
// port, as the inherited LoadCollector does).
template <class Protocol>
class CReadingCollectorJob : public CDeviceJob<Protocol> {
 public:
  int OpenDevice(int port, const RunRequest* request) override {
    if (!this->BindProtocol() || request == nullptr) return 0;
    return this->TakeOpenResult(this->m_protocol.Open(port, request->baud));
  }

  // Collectors deliver nothing by polling: an empty text and 0.
  int ReadCode(int, char* text) override {
    text[0] = '\0';
    return 0;
  }

  int ReadCollector(int, RecordCallback callback) override {
    this->Notify(notice::kTransferStarts, "", 0, 0);
    return this->TakeTransferResult(this->m_protocol.ReadRecords(HostReadingSink(callback)));
  }
};

// Denso BHT-6045 terminals, device code 503.
class CBH_DCOLL final : public CReadingCollectorJob<CBht6045> {};

// Casio DT-700 terminals, device code 505: offered to hosts through ZelvaneRunCollector
// only; ScanerRun, whose set of device codes is fixed, refuses the code.
class CCA_DCOLL final : public CReadingCollectorJob<CCasioDT700> {};

}  // namespace zelvane
