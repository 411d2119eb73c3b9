#!/usr/bin/env bash
# The main job: builds the Linux library and runs the command-line host against a
# device, showing every reading, status notice and error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/linux" -j "$(nproc)" --target zelvane zelvane-host

host=$root/build/linux/bin/zelvane-host
echo "== a Metrologic scanner (device 402) on COM1, stopped after 3 seconds"
"$host" --device 402 --port 1 --seconds 3 || true
