// The number reader and the field helpers that every device's records go through,
// with parameters taken from the input's first bytes.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "buffers/code_pages.h"
#include "buffers/field_format.h"
#include "fuzz_check.h"
#include "scripted_line.h"

namespace {

constexpr std::size_t kParameterBytes = 4;

// A small signed parameter: widths, positions and counts of -8 .. 55.
int SmallInt(std::uint8_t byte) {
  return static_cast<int>(byte % 64) - 8;
}

void CheckFixedText(const zelvane::CChrArr& text, int n) {
  // One guard byte on each side catches a write outside the n + 1 bytes.
  std::vector<char> area(static_cast<std::size_t>(n > 0 ? n : 0) + 3, '#');
  zelvane::ToFixedText(area.data() + 1, text, n);
  FUZZ_CHECK(area.front() == '#' && area.back() == '#');
  if (n >= 0) FUZZ_CHECK(area[static_cast<std::size_t>(n) + 1] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace zelvane;
  if (size < kParameterBytes) return 0;
  const int width = SmallInt(data[0]);
  const int position = SmallInt(data[1]);
  const std::uint8_t fill = data[2];
  const int decimals = SmallInt(data[3]) / 8;
  const CChrArr text = fuzzing::BytesOf(data + kParameterBytes, size - kParameterBytes);

  const double number = ToDouble(text);
  FUZZ_CHECK(!std::isnan(number));
  if (std::isfinite(number)) {
    const CChrArr formatted = FormatFixed(number, width, decimals);
    FUZZ_CHECK(formatted.GetSize() >= width);
  }

  for (const CChrArr& padded : {PadLeft(text, width, fill), PadRight(text, width, fill)}) {
    if (width > 0) FUZZ_CHECK(padded.GetSize() == width);
    if (width <= 0 && !text.IsEmpty()) FUZZ_CHECK(padded == text);
  }
  const CChrArr trimmed = TrimByte(text, fill);
  FUZZ_CHECK(trimmed.GetSize() <= text.GetSize());
  if (!trimmed.IsEmpty()) FUZZ_CHECK(trimmed[0] != fill && trimmed[trimmed.GetSize() - 1] != fill);
  FUZZ_CHECK(ReplaceByte(text, fill, '.').Find(fill) == (fill == '.' ? text.Find('.') : -1));

  const CChrArr part = SubStr(text, position, width);
  FUZZ_CHECK(part.GetSize() <= text.GetSize());
  const int found = FindPos(CChrArr(fill, 1), text);
  FUZZ_CHECK(found == text.Find(fill) + 1);
  CheckFixedText(text, width);

  for (const CChrArr& converted :
       {ToCp852(text), ToMazovia(text), ToAsciiFold(text), FromCp852(text), FromMazovia(text)}) {
    FUZZ_CHECK(converted.GetSize() == text.GetSize());
  }
  return 0;
}
