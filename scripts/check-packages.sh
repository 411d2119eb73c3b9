#!/usr/bin/env bash
# The Debian package of a Linux build, the way a user gets it: made with cpack,
# installed with apt-get, a host built against it with pkg-config and the installed
# zelvane-host both run against the installed simulator, and removed again.
#   scripts/check-packages.sh BUILD_DIR      (a Linux build, e.g. build/linux)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
work=$build/package-check
"$root/scripts/setup.sh"
rm -rf "$work" "$build"/zelvane_*.deb
mkdir -p "$work"

(cd "$build" && cpack -G DEB >/dev/null 2>&1)
package=$(ls "$build"/zelvane_*.deb)
echo "$(basename "$package"): $(dpkg-deb -f "$package" Depends)"
dpkg-deb -f "$package" Depends | grep -q libcups2 || { echo "no dependency on libcups2"; exit 1; }

simulator=
cleanup() {
  [[ -n $simulator ]] && kill "$simulator" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' zelvane 2>/dev/null | grep -q "install ok installed"; then
    apt-get purge -y -qq zelvane >/dev/null
  fi
}
trap cleanup EXIT
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$package" >/dev/null 2>&1

cc "$root/tests/install/package_host/main.c" $(pkg-config --cflags --libs zelvane) -o "$work/host"
zelvane-devsim metrologic --codes 5901234123457 --every 300 >"$work/com1.txt" 2>/dev/null &
simulator=$!
for _ in $(seq 200); do grep -qs '^ZELVANE_COM1=' "$work/com1.txt" && break; sleep 0.05; done
export "$(head -n 1 "$work/com1.txt")"
[[ $("$work/host") == "code 5901234123457" ]] || { echo "the pkg-config host read no code"; exit 1; }
shown=$(zelvane-host --device 402 --port 1 --seconds 2)
grep -q '^reading: 5901234123457$' <<<"$shown" || { echo "the installed zelvane-host read no code"; exit 1; }
kill "$simulator"
simulator=

apt-get purge -y -qq zelvane >/dev/null
for file in /usr/include/zelvane.h /usr/lib/libzelvane.so.0 /usr/bin/zelvane-host; do
  [[ ! -e $file ]] || { echo "left after removal: $file"; exit 1; }
done
echo "package installed, used by a pkg-config host and zelvane-host, and removed"
