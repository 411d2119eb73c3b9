#!/usr/bin/env bash
# The main job: builds the Linux library and runs the command-line host against
# simulated devices, showing every reading, status notice and error: scanners, scales,
# a price checker, collectors read and loaded, and a raw print whose bytes are shown
# as they reach a private print queue.
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

work=$root/build/demo
mkdir -p "$work"
# Collector transfers end by themselves.
transfer() {
  echo
  echo "== $1"
  shift
  "$host" --port 1 --simulate "$@"
}
transfer "CipherLab collector (device 500): the terminal's records read into a CSV file" \
  --device 500 --read-csv "$work/cipherlab.csv"
cat "$work/cipherlab.csv"
printf '%s\n' code,name,quantity,price '5901234123457,Żubr 0.5 l,12,3.99' \
  '4006381333931,"Chleb, żytni",1,5.49' >"$work/articles.csv"
transfer "CipherLab collector (device 500): the lines of a CSV file loaded into the terminal" \
  --device 500 --load-csv "$work/articles.csv"
transfer "Denso BHT-6045 collector (device 503): the records as CSV lines with the progress" \
  --device 503 --read-csv -

echo
echo "== Raw printing: a receipt to a private print queue, stored under an earlier session's name"
if [[ $(id -u) != 0 ]]; then
  echo "skipped: a private print server needs root"
  exit 0
fi
source "$root/scripts/print-queue.sh"
trap stop_print_queue EXIT
start_print_queue "$root" 'Demo_Receipt_(redirected_5)'
printf '\033@Zelvane demo\r\nMleko 3.2%%    3.49\r\n\035V\001' >"$work/receipt.prn"
"$host" --printer 'Demo_Receipt_(redirected_2)' --print "$work/receipt.prn"
await_print_delivered
echo "bytes that reached the printer:"
od -An -c "$print_received"
cmp -s "$work/receipt.prn" "$print_received" && echo "the same bytes as the file sent"
