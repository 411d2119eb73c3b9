#pragma once

namespace zelvane::run_mode {

// What a device job's run does between its open and its close: the reading loop that
// ScanerRun starts, and the collectors' read and load (ZelvaneRunCollector). Any other
// value runs nothing.
inline constexpr int kReadLoop = 1;
inline constexpr int kCollectorRead = 2;
inline constexpr int kCollectorLoad = 3;

}  // namespace zelvane::run_mode
