#pragma once

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "devices/device_job.h"
#include "devices/scanners/metrologic.h"
#include "devices/scanners/tysso.h"

namespace zelvane {

// A scanner job hands every code its scanner pushed to the host, one per poll, cut to
// the first 20 characters.
template <class Scanner>
class CScannerJob : public CDeviceJob<Scanner> {
 public:
  static constexpr int kMaxCodeLength = 20;

  int ReadCode(int, char* text) override {
    CChrArr code;
    const int read = this->m_protocol.ReadScan(code);
    ToFixedText(text, code, kMaxCodeLength);
    return read;
  }
};

// Metrologic scanners, device codes 402 to 405.
class CML_SCANER final : public CScannerJob<CMetroLogic> {};

// Tysso scanners, device codes 400 and 401.
class CTY_SCANER final : public CScannerJob<CTysso> {};

}  // namespace zelvane
