#include "devices/reading_delivery.h"

#include <algorithm>
#include <string_view>

#include "devices/host_line.h"
#include "devices/reading_record.h"
#include "jobs/run_state.h"
#include "platform/guarded_call.h"

namespace zelvane {

void ZELVANE_CALL DeliverReadingToHost(void* reading) {
  const RecordCallback callback = TheRunState().GetRecordCallback();
  if (callback == nullptr) return;
  const auto& source = *static_cast<const ReadingRecord*>(reading);

  HostLineRecord line{};
  const char* textEnd = std::find(std::begin(source.text), std::end(source.text), '\0');
  host_line::SetCode(&line, std::string_view(source.text, textEnd));
  host_line::SetQuantity(&line, source.quantity);
  platform::CallRecordCallback(callback, &line);
}

}  // namespace zelvane
