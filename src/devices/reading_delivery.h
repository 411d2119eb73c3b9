#pragma once

#include "devices/reading_record.h"
#include "zelvane.h"

namespace zelvane {

// The record adapter of the jobs whose protocols hand over ReadingRecords (scales in
// run mode 2, the Denso and Casio collectors): hands the reading to the host's
// `callback` as a HostLineRecord whose code is the reading's text and whose quantity is
// its value; every other byte of the record is zero. Nothing without a callback.
void DeliverReadingToHost(RecordCallback callback, const ReadingRecord& reading);

// The sink of a run whose readings go to the host's `callback`.
ReadingSink HostReadingSink(RecordCallback callback);

}  // namespace zelvane
