// Code page conversion and search over 1 MiB buffers, the largest frames and dumps
// the library handles being far smaller.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "buffers/buffer_functions.h"
#include "buffers/chr_arr.h"
#include "buffers/code_pages.h"
#include "buffers/cp1250_literal.h"

namespace zelvane {
namespace {

constexpr int kBufferSize = 1 << 20;

// Article names as a price checker shows them: mostly ASCII with Polish letters.
CChrArr PolishText() {
  constexpr Cp1250Literal kLine(u8"Żółta śliwka węgierka, łódzka 1 kg; ");
  const CChrArr line(kLine.c_str());
  CChrArr text;
  while (text.GetSize() < kBufferSize) text += line;
  return text.Left(kBufferSize);
}

// Only the last byte matches, so every search runs over the whole buffer.
CChrArr FieldsWithTrailingMarker() {
  CChrArr text('x', kBufferSize);
  text[kBufferSize - 1] = ';';
  return text;
}

void ReportBytes(benchmark::State& state) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kBufferSize);
}

void BM_ToCp852(benchmark::State& state) {
  const CChrArr text = PolishText();
  for (auto _ : state) benchmark::DoNotOptimize(ToCp852(text));
  ReportBytes(state);
}
BENCHMARK(BM_ToCp852);

void BM_FromCp852(benchmark::State& state) {
  const CChrArr text = ToCp852(PolishText());
  for (auto _ : state) benchmark::DoNotOptimize(FromCp852(text));
  ReportBytes(state);
}
BENCHMARK(BM_FromCp852);

void BM_Find(benchmark::State& state) {
  const CChrArr text = FieldsWithTrailingMarker();
  for (auto _ : state) benchmark::DoNotOptimize(text.Find(';'));
  ReportBytes(state);
}
BENCHMARK(BM_Find);

void BM_FindPos(benchmark::State& state) {
  const CChrArr text = FieldsWithTrailingMarker();
  const CChrArr needle(";,");
  for (auto _ : state) benchmark::DoNotOptimize(FindPos(needle, text));
  ReportBytes(state);
}
BENCHMARK(BM_FindPos);

}  // namespace
}  // namespace zelvane

BENCHMARK_MAIN();
