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

folder=$(mktemp -d /tmp/zelvane-cups.XXXXXX)
cleanup() {
  local status=$?
  [[ -n ${socat_pid:-} ]] && kill "$socat_pid" 2>/dev/null || true
  if [[ -n ${cupsd_pid:-} ]]; then
    kill "$cupsd_pid" 2>/dev/null || true
    wait "$cupsd_pid" 2>/dev/null || true
  fi
  rm -rf "$folder"
  exit "$status"
}
trap cleanup EXIT INT TERM

# The backends run as lp and must reach the spool below.
chmod 755 "$folder"
mkdir -p "$folder"/{spool/tmp,state,cache,log,ppd}
for name in cupsd.conf cups-files.conf; do
  sed "s|@FOLDER@|$folder|g" "$root/tests/printing/cupsd/$name.in" >"$folder/$name"
done
export CUPS_SERVER=$folder/cups.sock
/usr/sbin/cupsd -f -c "$folder/cupsd.conf" -s "$folder/cups-files.conf" >"$folder/log/cupsd.out" 2>&1 &
cupsd_pid=$!
for _ in $(seq 200); do
  lpstat -r >/dev/null 2>&1 && break
  sleep 0.05
done
lpstat -r >/dev/null 2>&1 || fail "cupsd does not answer: $(cat "$folder"/log/*)"

# The "printer": one connection, whatever arrives goes to a file.
socat -d -d -u TCP-LISTEN:0,bind=127.0.0.1 CREATE:"$folder/received" 2>"$folder/socat.log" &
socat_pid=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's/.*listening on AF=2 127\.0\.0\.1:\([0-9]*\).*/\1/p' "$folder/socat.log")
  [[ -n $port ]] && break
  sleep 0.05
done
[[ -n $port ]] || fail "socat does not listen: $(cat "$folder/socat.log")"
queue='Wine_HP_LaserJet_(redirected_12)'
/usr/sbin/lpadmin -p "$queue" -v "socket://127.0.0.1:$port" -E

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
for _ in $(seq 300); do
  kill -0 "$socat_pid" 2>/dev/null || break
  sleep 0.05
done
if ! cmp -s "$folder/stream.prn" "$folder/received"; then
  echo "the bytes that reached the printer differ from the file's ($(stat -c %s "$folder/received" 2>/dev/null || echo no) bytes arrived)"
  status=1
fi

output=$("$wine" "$host" --printer 'No_Such_Printer' --print "$windows_path" 2>&1) && status=1
expect "missing printer" "1048576 bytes sent raw to \"No_Such_Printer\": refused" "$output"

output=$("$wine" "$host" --list-printers 2>&1) || status=1
expect "listing" "\"$queue\" -> \"$queue\"" "$output"

[[ $status == 0 ]] && echo "Wine's spooler delivered 1 MiB unchanged to $queue"
exit $status
