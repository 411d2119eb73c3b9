#include "devices/collectors/collector_adapters.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "buffers/buffer_functions.h"
#include "buffers/field_format.h"
#include "devices/host_line.h"
#include "platform/guarded_call.h"

namespace zelvane {
namespace {

// The widths a terminal's record fields take.
constexpr int kUploadedCodeLength = 13;
constexpr int kUploadedNameLength = 18;

template <std::size_t N>
std::string_view FieldText(const char (&field)[N]) {
  return std::string_view(field, std::find(field, field + N, '\0') - field);
}

// The host's text, cut to `width` and stripped of the spaces around it.
CChrArr UploadedText(const std::string& text, int width) {
  return TrimByte(PadRight(CChrArr(text), width, ' '), ' ');
}

}  // namespace

void DeliverCollectorRecordToHost(RecordCallback callback,
                                  const cipherlab::CollectorRecord& record) {
  if (callback == nullptr) return;
  HostLineRecord line{};
  host_line::SetCode(&line, FieldText(record.code));
  host_line::SetName(&line, FieldText(record.name));
  host_line::SetQuantity(&line, record.quantity);
  host_line::SetPrice(&line, record.price);
  platform::CallRecordCallback(callback, &line);
}

void TakeRecordFromHost(const void* lines, int count, int index,
                        cipherlab::CollectorRecord& record) {
  record = cipherlab::CollectorRecord{};
  if (lines == nullptr || index < 0 || index >= count) return;
  const void* line = host_line::At(const_cast<void*>(lines), index);
  ToFixedText(record.code, UploadedText(host_line::Code(line), kUploadedCodeLength),
              kUploadedCodeLength);
  ToFixedText(record.name, UploadedText(host_line::Name(line), kUploadedNameLength),
              kUploadedNameLength);
  record.price = host_line::Price(line);
  record.quantity = host_line::Quantity(line);
}

}  // namespace zelvane
