#!/usr/bin/env bash
# Runs each binding's test (Pascal with fpc, C# with Mono, Python with pytest) against
# the Linux library and simulators of a build: a Metrologic scanner on COM1, a Radwag
# scale on COM2, a CipherLab collector on COM3, and on COM4 a device that another
# program holds. Every test compares its records with the header's layouts and runs
# its example host, whose output must be bindings/example-output.txt.
#   scripts/check-bindings.sh BUILD_DIR      (a Linux build, e.g. build/linux)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
bin=$build/bin
work=$build/bindings
"$root/scripts/setup.sh"
rm -rf "$work"
mkdir -p "$work"

started=()
cleanup() {
  for pid in "${started[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
}
trap cleanup EXIT

# Waits for the line a background program prints once it is ready: the simulators'
# ZELVANE_COM<n>=PATH, flock's "held".
await_line() {
  local file=$1 pattern=$2
  for _ in $(seq 200); do
    if grep -q "$pattern" "$file" 2>/dev/null; then return 0; fi
    sleep 0.05
  done
  echo "no \"$pattern\" in $file"
  exit 1
}

simulate() {
  local port=$1
  shift
  "$bin/zelvane-devsim" "$@" --port "$port" >"$work/com$port.txt" 2>/dev/null &
  started+=($!)
  await_line "$work/com$port.txt" "^ZELVANE_COM$port="
  export "$(head -n 1 "$work/com$port.txt")"
}

simulate 1 metrologic --codes 5901234123457 --every 300
simulate 2 radwag --weights 1.25 --every 300
# Names are code page 1250 on the line: 0xAF is "Ż".
simulate 3 cipherlab --record $'\xafubr,5901234123457,3,349' --record "Chleb,4006381333931,1,599"
simulate 4 metrologic
# The holder takes the lock itself and becomes the sleep, so its pid is the lock's.
(exec 9<"$ZELVANE_COM4" && flock 9 && echo held && exec sleep 600) >"$work/busy.txt" 2>&1 &
started+=($!)
await_line "$work/busy.txt" held

cc -I "$root/include" "$root/bindings/record_layouts.c" -o "$work/record_layouts"
"$work/record_layouts" >"$work/layouts.txt"
export ZELVANE_LAYOUTS=$work/layouts.txt
export ZELVANE_EXAMPLE_OUTPUT=$root/bindings/example-output.txt
export ZELVANE_LIBRARY=$bin/libzelvane.so.0 LD_LIBRARY_PATH=$bin

echo "-- Pascal"
pascal=$work/pascal
mkdir -p "$pascal"
for program in ExampleHost ZelvaneTest; do
  fpc -v0 -Fu"$root/bindings/pascal" -Fl"$bin" -FU"$pascal" -o"$pascal/$program" \
    "$root/bindings/pascal/$program.pas" >/dev/null
done
"$pascal/ZelvaneTest" "$pascal/ExampleHost"

echo "-- C#"
dotnet=$work/dotnet
mkdir -p "$dotnet"
cp "$root/bindings/dotnet/Zelvane.Net.dll.config" "$dotnet/"
mcs -nologo -unsafe -target:library -out:"$dotnet/Zelvane.Net.dll" "$root/bindings/dotnet/Zelvane.cs"
for program in ExampleHost ZelvaneTest; do
  mcs -nologo -r:"$dotnet/Zelvane.Net.dll" -out:"$dotnet/$program.exe" "$root/bindings/dotnet/$program.cs"
done
mono "$dotnet/ZelvaneTest.exe" "$dotnet/ExampleHost.exe"

echo "-- Python"
python=/usr/bin/python3
# Debian's pip refuses to install into the system; a venv that sees Debian's
# setuptools and pytest installs offline. The package builds in a copy, so the tree
# stays clean.
"$python" -m venv --system-site-packages "$work/python"
cp -r "$root/bindings/python" "$work/python-source"
"$work/python/bin/pip" install --quiet --no-index --no-build-isolation "$work/python-source"
(cd "$work" && "$work/python/bin/python" -m pytest -q -p no:cacheprovider "$work/python-source/tests")
