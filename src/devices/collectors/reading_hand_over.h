#pragma once

#include "devices/reading_record.h"
#include "jobs/notice_codes.h"
#include "protocol/veduvezid_ecr.h"

namespace zelvane {

// Hands the records of one download to the protocol's sink, each after a
// progress notice 5 that carries its code and the progress 10, 20, ... 90, 0, 10, ...
// so that the host sees the transfer move before the record arrives.
class ReadingHandOver {
 public:
  ReadingHandOver(CVeduvezidECR& protocol, const ReadingSink& sink)
      : m_protocol(protocol), m_sink(sink) {}

  void operator()(ReadingRecord& record) {
    m_progress = (m_progress + kStep) % kWrap;
    m_protocol.Notify(notice::kProgress, record.text, m_progress, 0);
    if (m_sink) m_sink(&record);
  }

 private:
  static constexpr int kStep = 10;
  static constexpr int kWrap = 100;

  CVeduvezidECR& m_protocol;
  const ReadingSink& m_sink;
  int m_progress = 0;
};

}  // namespace zelvane
