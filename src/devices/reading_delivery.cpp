#include "devices/reading_delivery.h"

#include <algorithm>
#include <string_view>

#include "devices/host_line.h"
#include "platform/guarded_call.h"

namespace zelvane {

void DeliverReadingToHost(RecordCallback callback, const ReadingRecord& reading) {
  if (callback == nullptr) return;
  HostLineRecord line{};
  const char* textEnd = std::find(std::begin(reading.text), std::end(reading.text), '\0');
  host_line::SetCode(&line, std::string_view(reading.text, textEnd));
  host_line::SetQuantity(&line, reading.quantity);
  platform::CallRecordCallback(callback, &line);
}

ReadingSink HostReadingSink(RecordCallback callback) {
  return [callback](ReadingRecord* reading) { DeliverReadingToHost(callback, *reading); };
}

}  // namespace zelvane
