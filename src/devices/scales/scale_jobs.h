#pragma once

#include <cstdint>
#include <optional>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "devices/device_job.h"
#include "devices/reading_delivery.h"
#include "devices/scales/cas_ap1.h"
#include "devices/scales/fawag.h"
#include "devices/scales/radwag.h"
#include "devices/scales/scale_parsing.h"
#include "jobs/notice_codes.h"

namespace zelvane {

// What every scale job does when run mode 2 begins: the host is told that a transfer
// starts.
template <class Scale>
class CScaleJob : public CDeviceJob<Scale> {
 protected:
  void BeginTransfer() { this->Notify(notice::kTransferStarts, "", 0, 0); }
};

// A scale that pushes its weight as a text line. Each poll hands the line's weight
// code to the host; lines that carry none are ignored. Run mode 2 asks the scale for
// one reading and hands it to the host as a record.
template <class Scale, std::optional<CChrArr> (*WeightCode)(const CChrArr&)>
class CLineScaleJob : public CScaleJob<Scale> {
 public:
  int ReadCode(int, char* text) override {
    text[0] = '\0';
    CChrArr line;
    const int read = this->m_protocol.ReadLine(line);
    if (const std::optional<CChrArr> code = WeightCode(line)) {
      ToFixedText(text, *code, kWeightCodeLength);
    }
    return read;
  }

  int ReadCollector(int, RecordCallback callback) override {
    this->BeginTransfer();
    return this->m_protocol.WeighOnce(HostReadingSink(callback));
  }
};

// Radwag scales, device code 601.
class CRA_SCALE final : public CLineScaleJob<CRadwag, &RadwagWeightCode> {};

// Fawag scales, device code 600.
class CFA_SCALE final : public CLineScaleJob<CFawag, &FawagWeightCode> {};

// CAS AP-1 scales, device code 602. Every poll asks the scale for a reading; a weight
// code reaches the host once per placement on the scale (cas_stability.h). The run's
// answers and codes go to the protocol's trace log.
class CAP_SCALE final : public CScaleJob<CCasAP_1> {
 public:
  int OpenDevice(int port, const RunRequest* request) override;
  int CloseDevice(int port) override;
  // 1 only when a weight code was written.
  int ReadCode(int port, char* text) override;
  // The scale has no records: the host is told of a transfer and nothing is read.
  int ReadCollector(int port, RecordCallback callback) override;

  bool IsArmed() const { return m_bArmed != 0; }

 private:
  std::uint8_t m_bArmed = 0;
};

}  // namespace zelvane
