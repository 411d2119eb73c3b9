#pragma once

#include "buffers/buffer_functions.h"
#include "devices/device_job.h"
#include "devices/pricecheck/spr_lan_protocol.h"

namespace zelvane {

// LAN price checkers, device code 702: the reading loop hands every code scanned at a
// terminal to the host, whose answer (ScanerSetBarCodeInfo) goes back to the
// terminal's display. A customer waits at the terminal, so the loop takes each code
// as soon as it is scanned instead of at the next half-second poll.
class CSL_SCANER final : public CDeviceJob<CSprLan> {
 public:
  static constexpr int kMaxCodeLength = 20;

  // The exchange carries the codes and answers between the service and the host; it
  // outlives the job.
  explicit CSL_SCANER(PriceExchange& exchange) : CDeviceJob<CSprLan>(exchange) {}

  int CloseDevice(int) override {
    m_protocol.Stop();
    return 1;
  }

  // Always a reading: an empty text when no code waits, so the host is not called.
  int ReadCode(int, char* text) override {
    ToFixedText(text, CChrArr(m_protocol.TakePendingCode()), kMaxCodeLength);
    return 1;
  }

  int LoadCollector(int, void* record, int, int, int) override {
    if (record == nullptr) return 0;
    m_protocol.OfferAnswer(record);
    return 1;
  }

  // The loop may be waiting for a scan: the break ends that wait at once.
  void Break() override {
    CDeviceJob<CSprLan>::Break();
    m_protocol.InterruptCodeWait();
  }

 protected:
  void PauseBeforePoll(unsigned milliseconds) override {
    m_protocol.WaitForCode(std::chrono::milliseconds(milliseconds));
  }
};

}  // namespace zelvane
