#!/usr/bin/env bash
# Raw printing of the Windows build through Wine's spooler, which hands its jobs to
# CUPS: a private cupsd (made from the tests' configuration templates) with a raw
# queue whose device is a TCP port of this script. zelvane-host.exe, under Wine, prints
# a 1 MiB file holding every byte value to the queue under a name stored in an earlier
# session; the bytes that arrive must be the file's. A printer that does not exist
# must be refused, and the listing must show what the queue's name stands for.
#
#   check-wine-printing.sh ZELVANE-HOST.EXE
#
# Needs root (cupsd runs its jobs as lp), cups, cups-client, socat and Wine built with
# CUPS support. ZELVANE_WINE names the Wine loader (default wine), WINEPREFIX the
# prefix (made on first use). Fails, never skips, when any of that is missing.
set -euo pipefail
host=${1:?usage: $0 ZELVANE-HOST.EXE}
root=$(cd "$(dirname "$0")/.." && pwd)
wine=${ZELVANE_WINE:-wine}
if [[ $wine == /* ]]; then export WINELOADER=$wine; fi
export WINEPREFIX=${WINEPREFIX:-/tmp/zelvane-wine-printing} WINEDEBUG=${WINEDEBUG:--all}

fail() {
  echo "$0: $*" >&2
  exit 1
}
[[ $(id -u) == 0 ]] || fail "a private cupsd needs root: it runs its jobs as the user lp"
for tool in /usr/sbin/cupsd /usr/sbin/lpadmin lpstat socat "$wine"; do
  command -v "$tool" >/dev/null || fail "$tool is not installed"
done

queue='Wine_HP_LaserJet_(redirected_12)'
source "$root/scripts/print-queue.sh"
cleanup() {
  local status=$?
  stop_print_queue
  exit "$status"
}
trap cleanup EXIT INT TERM
start_print_queue "$root" "$queue" || fail "no private print queue"
folder=$print_folder

# Every byte value, doubled up to 1 MiB.
for value in $(seq 0 255); do printf "\\$(printf %03o "$value")"; done >"$folder/stream.prn"
for _ in $(seq 12); do
  cat "$folder/stream.prn" "$folder/stream.prn" >"$folder/doubled.prn"
  mv "$folder/doubled.prn" "$folder/stream.prn"
done
windows_path="Z:${folder//\//\\}\\stream.prn"

status=0
expect() {
  local what=$1 pattern=$2 output=$3
  if ! grep -qF -- "$pattern" <<<"$output"; then
    echo "$what: expected \"$pattern\" in:"
    echo "$output"
    status=1
  fi
}

output=$("$wine" "$host" --printer 'Wine_HP_LaserJet_(redirected_3)' --print "$windows_path" 2>&1) ||
  status=1
expect "print" "stands for \"$queue\"" "$output"
expect "print" "1048576 bytes sent raw to \"$queue\": accepted" "$output"
await_print_delivered
if ! cmp -s "$folder/stream.prn" "$print_received"; then
  echo "the bytes that reached the printer differ from the file's ($(stat -c %s "$print_received" 2>/dev/null || echo no) bytes arrived)"
  status=1
fi

output=$("$wine" "$host" --printer 'No_Such_Printer' --print "$windows_path" 2>&1) && status=1
expect "missing printer" "1048576 bytes sent raw to \"No_Such_Printer\": refused" "$output"

output=$("$wine" "$host" --list-printers 2>&1) || status=1
expect "listing" "\"$queue\" -> \"$queue\"" "$output"

[[ $status == 0 ]] && echo "Wine's spooler delivered 1 MiB unchanged to $queue"
exit $status
