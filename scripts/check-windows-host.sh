#!/usr/bin/env bash
# Proves a Windows build of the library on real COM ports: the command-line host
# (zelvane-host.exe, which loads Zelvane.dll with LoadLibraryA as a shop application
# does) drives a scanner and a scale that zelvane-devsim (a Linux build) plays on
# pseudo-terminals mapped to COM ports, and must print the readings they send; its
# port probe must find a CAS AP-1 scale.
#
#   check-windows-host.sh WINDOWS_BIN_DIR DEVSIM
#
# ZELVANE_WINE names the Wine loader that runs the host (default wine); the prefix
# (WINEPREFIX) must exist. Each run of the host is given WINE_START_SECONDS (default
# 120) to start, for machines that run 32-bit Windows programs through emulation.
set -euo pipefail

bin=${1:?usage: $0 WINDOWS_BIN_DIR DEVSIM}
devsim=${2:?usage: $0 WINDOWS_BIN_DIR DEVSIM}
wine=${ZELVANE_WINE:-wine}
if [[ $wine == /* ]]; then export WINELOADER=$wine; fi
# The registry is the prefix's, whichever loader writes it; the 64-bit one starts at
# once even where 32-bit programs are emulated.
registry_wine=/usr/lib/wine/wine64
[[ -x $registry_wine ]] || registry_wine=$wine
export WINEDEBUG=${WINEDEBUG:--all}
port=3
ports='HKLM\Software\Wine\Ports'
work=$(mktemp -d /tmp/zelvane-host-check.XXXXXX)
simulator=

cleanup() {
  local status=$?
  [[ -n $simulator ]] && kill "$simulator" 2>/dev/null || true
  "$registry_wine" reg delete "$ports" /v "COM$port" /f >/dev/null 2>&1 || true
  rm -rf "$work"
  exit "$status"
}
trap cleanup EXIT INT TERM

# check "HOST_OPTIONS" EXPECTED_LINE DEVSIM_ARGUMENTS...
check() {
  local options expected=$2
  read -ra options <<<"$1"
  shift 2
  "$devsim" "$@" --port "$port" >"$work/devsim.out" 2>&1 &
  simulator=$!
  local line=
  for _ in $(seq 100); do
    line=$(grep -m1 "^ZELVANE_COM$port=" "$work/devsim.out" || true)
    [[ -n $line ]] && break
    sleep 0.05
  done
  [[ -n $line ]] || { echo "zelvane-devsim $1 did not start"; cat "$work/devsim.out"; return 1; }
  "$registry_wine" reg add "$ports" /v "COM$port" /t REG_SZ /d "${line#*=}" /f >/dev/null
  # Wine reads the port mapping when its server starts.
  wineserver -k || true
  wineserver -w || true
  local output
  output=$(timeout $((${WINE_START_SECONDS:-120} + 30)) "$wine" "$bin/zelvane-host.exe" \
             "${options[@]}" --port "$port" 2>&1) || true
  kill "$simulator" 2>/dev/null || true
  wait "$simulator" 2>/dev/null || true
  simulator=
  if grep -q "$expected" <<<"$output"; then
    echo "ok   ${options[*]} on COM$port: $(grep -m1 "$expected" <<<"$output")"
  else
    echo "FAIL ${options[*]} on COM$port: no line $expected"
    echo "$output"
    return 1
  fi
}

check "--device 402 --seconds 4" "^reading: 5901234123457" metrologic --codes 5901234123457,ABC123 --every 300
check "--device 601 --seconds 4" "^reading: 2700000012500" radwag --weights 1.25 --every 300
check "--probe" "^found on COM$port: CAS AP-1 scale" cas --answers "S  1.234kg"
