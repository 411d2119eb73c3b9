#pragma once

#include "devices/collectors/cipherlab_frames.h"
#include "zelvane.h"

namespace zelvane {

// Hands a CipherLab record to the host's `callback` as a HostLineRecord: code and name
// as NUL-terminated texts, quantity and price; every other byte of the record is zero.
// Nothing without a callback.
void DeliverCollectorRecordToHost(RecordCallback callback,
                                  const cipherlab::CollectorRecord& record);

// Fills `record` from line `index` of the host's array of `count` lines (312 bytes
// apart): the code cut to 13 and the name to 18 characters, each stripped of spaces at
// both ends, the price and the quantity. An index beyond the array gives an empty
// record.
void TakeRecordFromHost(const void* lines, int count, int index,
                        cipherlab::CollectorRecord& record);

}  // namespace zelvane
