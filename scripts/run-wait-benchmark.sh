#!/usr/bin/env bash
# Prints what the serial waits cost (processor time while nothing happens, delays from
# a byte or a break to the return) on Linux and, under Wine, for the 64-bit and
# 32-bit Windows builds. Uses the builds of ./scripts/test-all.sh.
#
#   run-wait-benchmark.sh [SECONDS]     (default 10)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build
seconds=${1:-10}
export WINEPREFIX=${WINEPREFIX:-$out/wineprefix} WINEDEBUG=-all

echo "== Linux"
"$out/linux/bin/serial_wait_benchmark" "$seconds"
echo "== Windows 64-bit under Wine"
ZELVANE_WINE=/usr/lib/wine/wine64 "$root/scripts/run_wine_serial_tests.sh" \
  "$out/windows64/bin/serial_wait_benchmark.exe" "$seconds"
if [[ $("$root/scripts/enable-32bit-programs.sh") == native ]]; then
  echo "== Windows 32-bit under Wine"
  "$root/scripts/run_wine_serial_tests.sh" "$out/windows32/bin/serial_wait_benchmark.exe" "$seconds"
else
  echo "== Windows 32-bit: not measured, 32-bit programs run emulated on this machine"
fi
