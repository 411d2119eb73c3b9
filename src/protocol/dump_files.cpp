#include "protocol/dump_files.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <string>

#include "buffers/chr_arr.h"
#include "platform/secure_file.h"
#include "protocol/temp_file_path.h"

namespace zelvane {
namespace {

constexpr int kRingSize = 10;

// The next file number of each kind, in the order of DumpKind. Protocols run on the
// worker thread while the price checker's service calls in on its own.
std::array<std::atomic<std::uint8_t>, 4> g_nextNumber{};

std::size_t RingOf(DumpKind kind) {
  switch (kind) {
    case DumpKind::kReceivedBlock: return 0;
    case DumpKind::kSent: return 1;
    case DumpKind::kTextLine: return 2;
    case DumpKind::kTerminatedBlock: break;
  }
  return 3;
}

std::string DumpFileName(DumpKind kind, int number) {
  return std::string("QX") + static_cast<char>(kind) + '_' + static_cast<char>('0' + number) +
         ".dat";
}

bool WriteFile(const std::string& path, const CChrArr& buffer) {
  platform::SecureFile file;
  return file.Create(path) &&
         file.WriteAll(buffer.GetData(), static_cast<std::size_t>(buffer.GetSize()));
}

}  // namespace

void WriteDump(DumpKind kind, const CChrArr& buffer) noexcept {
  try {
    std::atomic<std::uint8_t>& nextNumber = g_nextNumber[RingOf(kind)];
    std::uint8_t number = nextNumber.load();
    const std::optional<std::string> path = TempFilePath(DumpFileName(kind, number));
    if (!path || !WriteFile(*path, buffer)) return;
    // Advance only from the number just written, so that two threads writing the same
    // number at once move the ring by one.
    nextNumber.compare_exchange_strong(number, static_cast<std::uint8_t>((number + 1) % kRingSize));
  } catch (...) {
    // Out of memory for the path: the dump is skipped like any other write failure.
  }
}

}  // namespace zelvane
