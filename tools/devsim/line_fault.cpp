#include "line_fault.h"

#include <charconv>
#include <cstdint>
#include <random>
#include <string>
#include <thread>

#include "option_values.h"

namespace zelvane::devsim {
namespace {

struct KindName {
  std::string_view name;
  FaultKind kind;
};

constexpr KindName kKinds[] = {{"drop", FaultKind::kDrop},
                               {"flip", FaultKind::kFlip},
                               {"cut", FaultKind::kCut},
                               {"stall", FaultKind::kStall},
                               {"vanish", FaultKind::kVanish}};

constexpr std::chrono::milliseconds kStallSlice{20};

}  // namespace

std::optional<LineFault> ParseLineFault(std::string_view text, std::uint32_t seed,
                                        std::size_t within) {
  const std::size_t at = text.find('@');
  const std::string_view name = text.substr(0, at);
  LineFault fault;
  bool known = false;
  for (const KindName& kind : kKinds) {
    if (kind.name == name) {
      fault.kind = kind.kind;
      known = true;
    }
  }
  if (!known) return std::nullopt;
  std::mt19937 random(seed);
  fault.flipMask = static_cast<std::uint8_t>(1u << (random() % 8));
  if (at == std::string_view::npos) {
    fault.atByte = within == 0 ? 0 : random() % within;
    return fault;
  }
  const std::string_view number = text.substr(at + 1);
  const auto [end, error] =
      std::from_chars(number.data(), number.data() + number.size(), fault.atByte);
  if (error != std::errc() || end != number.data() + number.size()) return std::nullopt;
  return fault;
}

bool FaultOptions::SetFault(std::string_view text) {
  if (!ParseLineFault(text, m_seed, 1)) return false;
  m_fault = text;
  return true;
}

bool FaultOptions::SetSeed(std::string_view text) {
  const std::optional<std::uint32_t> seed = ParseNumber<std::uint32_t>(text, 0, UINT32_MAX);
  if (seed) m_seed = *seed;
  return seed.has_value();
}

std::optional<LineFault> FaultOptions::Drawn(std::size_t within) const {
  if (m_fault.empty()) return std::nullopt;
  return ParseLineFault(m_fault, m_seed, within);
}

bool FaultyLink::Write(std::string_view bytes) {
  if (m_vanished) return false;
  const std::size_t start = m_sent;
  m_sent += bytes.size();
  if (m_struck || m_fault.atByte < start || m_fault.atByte >= m_sent) return m_line.Write(bytes);
  m_struck = true;
  return Strike(bytes, m_fault.atByte - start);
}

bool FaultyLink::Strike(std::string_view bytes, std::size_t at) {
  const std::string_view before = bytes.substr(0, at);
  switch (m_fault.kind) {
    case FaultKind::kDrop: return m_line.Write(before) && m_line.Write(bytes.substr(at + 1));
    case FaultKind::kFlip: {
      std::string flipped(bytes);
      flipped[at] = static_cast<char>(flipped[at] ^ static_cast<char>(m_fault.flipMask));
      return m_line.Write(flipped);
    }
    case FaultKind::kCut: return m_line.Write(before);
    case FaultKind::kStall:
      if (!m_line.Write(before)) return false;
      Stall();
      return m_line.Write(bytes.substr(at));
    case FaultKind::kVanish:
      m_line.Write(before);
      m_vanished = true;
      m_vanish();
      return false;
  }
  return false;
}

void FaultyLink::Stall() {
  for (auto left = m_fault.stall; left.count() > 0 && !m_cancelled; left -= kStallSlice) {
    std::this_thread::sleep_for(std::min(left, kStallSlice));
  }
}

std::string FaultyLink::Read(std::size_t count, int timeoutMs) {
  if (!m_vanished) return m_line.Read(count, timeoutMs);
  // Nothing comes from a device that is gone; its loop still keeps its pace.
  std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs));
  return {};
}

}  // namespace zelvane::devsim
