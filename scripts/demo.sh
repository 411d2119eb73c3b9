#!/usr/bin/env bash
# The main job: builds the Linux library and runs the command-line host against
# simulated devices, showing every reading, status notice and error.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"
cmake -S "$root" -B "$root/build/linux" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$root/build/linux" -j "$(nproc)" --target zelvane zelvane-host zelvane-devsim

host=$root/build/linux/bin/zelvane-host
# Each device is played by a simulator on a pseudo-terminal that the host maps as COM1.
demo() {
  echo
  echo "== $1"
  "$host" --device "$2" --port 1 --simulate --seconds "$3"
}
demo "Metrologic scanner (device 402)" 402 4
demo "Tysso scanner (device 400)" 400 4
demo "Radwag scale (device 601): weight codes 27 0000 0 <grams> 0" 601 7
demo "CAS AP-1 scale (device 602): one weight code per load placed" 602 8
demo "LAN price checker (device 702): a terminal on loopback scans four codes" 702 7
