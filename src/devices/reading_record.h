#pragma once

#include <cstddef>
#include <functional>
#include <type_traits>

namespace zelvane {

// One reading that a scale or collector protocol hands to its job's record callback:
// a text of at most 13 characters with its NUL, then the quantity. Plain C layout, as
// the callbacks that receive it are plain C functions.
struct ReadingRecord {
  static constexpr std::size_t kTextSize = 14;
  char text[kTextSize];
  double quantity;
};

static_assert(std::is_standard_layout_v<ReadingRecord> && std::is_trivial_v<ReadingRecord>);
static_assert(offsetof(ReadingRecord, text) == 0);

// Where a protocol hands each reading (valid only during the call): the job's adapter
// to the host, or a test's collector. A plain C function of one pointer fits too.
using ReadingSink = std::function<void(ReadingRecord* reading)>;

}  // namespace zelvane
