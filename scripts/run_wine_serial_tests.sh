#!/usr/bin/env bash
# Runs a Windows serial test program under Wine with two COM ports backed by a pair of
# linked pseudo-terminals, so that the program's real overlapped Win32 calls talk to
# a device that the same program plays on the other port.
#
#   run_wine_serial_tests.sh PROGRAM.exe [test arguments...]
#
# Needs Wine and socat. ZELVANE_WINE names the Wine loader (default wine; a 64-bit
# program may use /usr/lib/wine/wine64, which needs no 32-bit support from the
# kernel). WINEPREFIX names the Wine prefix (made on first use; default
# /tmp/zelvane-wine-serial). ZELVANE_WINESERVER_PID is set for the program, so that
# it can measure the server's processor time. The COM numbers come from ZELVANE_TEST_PORT
# (default 5, the port under test) and ZELVANE_TEST_DEVICE_PORT (default 6, the
# device's end); ZELVANE_TEST_MISSING_PORT (default 16) must lead nowhere.
#
# socat holds both slaves open, so a device that closes its end does not end the
# pair. A test makes the device disappear (a pulled USB adapter: the library's line
# hangs up) by creating the file "vanish" in ZELVANE_TEST_LINKS, the folder of the
# pair's links: the pair is then ended and started again under the same link names,
# so that the port can be opened again.
set -euo pipefail

program=${1:?usage: $0 PROGRAM.exe [arguments...]}
shift

wine=${ZELVANE_WINE:-wine}
# Processes that Wine starts itself use the same loader.
if [[ $wine == /* ]]; then export WINELOADER=$wine; fi

# The registry is the prefix's, whichever loader writes it; the 64-bit one starts at
# once even where 32-bit programs run through emulation.
registry_wine=/usr/lib/wine/wine64
[[ -x $registry_wine ]] || registry_wine=$wine

for tool in "$wine" wineserver socat; do
  command -v "$tool" >/dev/null || { echo "$0: $tool is not installed" >&2; exit 1; }
done

export WINEPREFIX=${WINEPREFIX:-/tmp/zelvane-wine-serial}
export WINEDEBUG=${WINEDEBUG:--all}
export ZELVANE_TEST_PORT=${ZELVANE_TEST_PORT:-5}
export ZELVANE_TEST_DEVICE_PORT=${ZELVANE_TEST_DEVICE_PORT:-6}
export ZELVANE_TEST_MISSING_PORT=${ZELVANE_TEST_MISSING_PORT:-16}

links=$(mktemp -d /tmp/zelvane-serial-pair.XXXXXX)
export ZELVANE_TEST_LINKS=$links
socat_pid_file=$links/socat.pid

# Keeps one linked pair alive; each socat's pid is written down so that cleanup can
# end exactly the processes this script started.
keep_pair() {
  while [ -d "$links" ]; do
    socat pty,raw,echo=0,link="$links/dev" pty,raw,echo=0,link="$links/sim" &
    local pair=$!
    echo "$pair" >"$socat_pid_file"
    while kill -0 "$pair" 2>/dev/null; do
      if [ -e "$links/vanish" ]; then
        rm -f "$links/vanish"
        kill "$pair" 2>/dev/null || true
      fi
      sleep 0.1
    done
    wait "$pair" || true
  done
}

cleanup() {
  local status=$?
  [ -n "${keeper_pid:-}" ] && kill "$keeper_pid" 2>/dev/null || true
  [ -f "$socat_pid_file" ] && kill "$(cat "$socat_pid_file")" 2>/dev/null || true
  rm -rf "$links"
  exit "$status"
}
trap cleanup EXIT INT TERM

# Made once, by whichever runner comes first.
exec 9>"$WINEPREFIX.lock"
flock 9
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "making the Wine prefix $WINEPREFIX (once)"
  "$registry_wine" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# With ZELVANE_WINE_PREFIX_PER_PROGRAM set, each program runs in a prefix of its own,
# with a server of its own, so that programs can run side by side: a copy of the
# prefix made of hard links (Wine never writes its DLLs), with real copies of the
# registry files, which the server rewrites.
if [ -n "${ZELVANE_WINE_PREFIX_PER_PROGRAM:-}" ]; then
  own=$WINEPREFIX-$(basename "$program" .exe)
  if [ ! -f "$own/system.reg" ]; then
    rm -rf "$own" "$own.new"
    cp -al "$WINEPREFIX" "$own.new"
    for registry in system.reg user.reg userdef.reg; do
      cp --remove-destination "$WINEPREFIX/$registry" "$own.new/$registry"
    done
    mv "$own.new" "$own"
  fi
  export WINEPREFIX=$own
fi
flock -u 9

keep_pair &
keeper_pid=$!
for _ in $(seq 100); do
  [ -e "$links/dev" ] && [ -e "$links/sim" ] && break
  sleep 0.05
done
[ -e "$links/dev" ] || { echo "$0: socat made no pseudo-terminals" >&2; exit 1; }

# Wine reads the port mapping when its server starts: write it, then end the server
# so that the test program starts a new one that sees it.
ports='HKLM\Software\Wine\Ports'
"$registry_wine" reg add "$ports" /v "COM$ZELVANE_TEST_PORT" /t REG_SZ /d "$links/dev" /f >/dev/null
"$registry_wine" reg add "$ports" /v "COM$ZELVANE_TEST_DEVICE_PORT" /t REG_SZ /d "$links/sim" /f >/dev/null
"$registry_wine" reg delete "$ports" /v "COM$ZELVANE_TEST_MISSING_PORT" /f >/dev/null 2>&1 || true
wineserver -k || true
wineserver -w || true
# Our own server, so that what it prints when it ends (Wine 8 dumps its objects)
# stays out of the test log.
wineserver -p3 >/dev/null 2>&1
# The newest server: the right one while programs run one at a time, as benchmarks do.
ZELVANE_WINESERVER_PID=$(pgrep -n -x 'wineserver(64|32)?' || true)
export ZELVANE_WINESERVER_PID

status=0
"$wine" "$program" "$@" || status=$?
# Left in the prefix, the mapping would point at links that are gone.
"$registry_wine" reg delete "$ports" /v "COM$ZELVANE_TEST_PORT" /f >/dev/null 2>&1 || true
"$registry_wine" reg delete "$ports" /v "COM$ZELVANE_TEST_DEVICE_PORT" /f >/dev/null 2>&1 || true
exit "$status"
