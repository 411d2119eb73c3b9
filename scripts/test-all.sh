#!/usr/bin/env bash
# Installs what is missing, builds every target (Linux with its sanitizer builds, and
# 64-bit and 32-bit Windows, run under Wine) and runs every test. Where the kernel
# cannot run 32-bit programs, Wine's 32-bit loader runs through qemu-user emulation,
# which is too slow for the whole suite: the 32-bit DLL then gets the checks that
# prove it loads, exports, opens ports and delivers readings, and the whole suite
# runs on the 64-bit build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh"

jobs=$(nproc)
out=$root/build

configure_and_build() {
  local name=$1
  shift
  cmake -S "$root" -B "$out/$name" -G Ninja -DZELVANE_WERROR=ON "$@" >/dev/null
  cmake --build "$out/$name" -j "$jobs"
}

# Each stage's heading says when it began, so that the log shows what took how long.
stage() {
  echo "== $1 (at $((SECONDS / 60)) min $((SECONDS % 60)) s)"
}

run_tests() {
  local name=$1
  shift
  ctest --test-dir "$out/$name" --output-on-failure -j "$jobs" "$@"
}

stage "formatting"
git -C "$root" ls-files -- '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)

stage "Linux"
configure_and_build linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
run_tests linux
stage "clang-tidy"
git -C "$root" ls-files -- 'src/*.cpp' 'tools/*.cpp' 'ondrell/*.cpp' 'spr_lan/*.cpp' | grep -vE '(/win32/|_win32\.cpp$)' |
  (cd "$root" && xargs -P "$jobs" -n 8 clang-tidy -p "$out/linux" --quiet 2>/dev/null)
"$root/scripts/check-install.sh" "$out/linux"
"$root/scripts/check-bindings.sh" "$out/linux"
"$root/scripts/check-packages.sh" "$out/linux"

stage "Linux, AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=address
run_tests asan

stage "Linux, ThreadSanitizer"
configure_and_build tsan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=thread
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests tsan

# Every parser's fuzz target runs a few seconds on its seeds, so that an input that
# once crashed (kept among the seeds) fails the run if its fault comes back.
stage "Fuzz targets"
CC=clang CXX=clang++ cmake -S "$root" -B "$out/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DZELVANE_SANITIZE=address -DZELVANE_BUILD_FUZZERS=ON -DZELVANE_BUILD_TESTS=OFF \
  -DZELVANE_WERROR=ON >/dev/null
cmake --build "$out/fuzz" -j "$jobs" --target fuzzers
"$root/scripts/run-fuzzers.sh" "$out/fuzz" 6

# Both Windows builds run in one Wine prefix, made by the 64-bit loader, which needs
# nothing of the kernel's 32-bit support.
export WINEPREFIX=${WINEPREFIX:-$out/wineprefix} WINEDEBUG=-all
wine64=/usr/lib/wine/wine64
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  WINELOADER=$wine64 "$wine64" wineboot -i >/dev/null 2>&1
  wineserver -w
fi
check_host() {
  "$root/scripts/check-windows-host.sh" "$out/$1/bin" "$out/linux/bin/zelvane-devsim"
}

stage "Windows (64-bit, under wine64)"
configure_and_build windows64 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
run_tests windows64
ZELVANE_WINE=$wine64 check_host windows64
wineserver -k || true

stage "Windows (32-bit, the product)"
configure_and_build windows32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
mode=$("$root/scripts/enable-32bit-programs.sh")
echo "32-bit Windows: $mode"
if [[ $mode == native ]]; then
  run_tests windows32
else
  # Every Wine process takes about a minute to start here: the DLL's exports and
  # imports, the register guard of its calling convention, a host that loads it by
  # name, and a scanner and a scale on COM ports.
  run_tests windows32 -R '^(test_dll_exports|test_jobs|test_windows_loader)$'
fi
check_host windows32
wineserver -k || true
"$root/scripts/package-windows.sh" "$out/windows32" "$out/windows64"
stage "all tests passed"
