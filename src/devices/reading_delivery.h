#pragma once

#include "zelvane.h"

namespace zelvane {

// The record adapter of the jobs whose protocols hand over ReadingRecords (scales in
// run mode 2, the Denso and Casio collectors): hands the reading to the host's record
// callback of the run state as a HostLineRecord whose code is the reading's text and
// whose quantity is its value; every other byte of the record is zero. Nothing
// without a record callback.
void ZELVANE_CALL DeliverReadingToHost(void* reading);

}  // namespace zelvane
