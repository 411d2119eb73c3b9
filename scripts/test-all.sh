#!/usr/bin/env bash
# Installs what is missing, builds both targets (Linux, and 32-bit Windows run under
# Wine) plus the sanitizer builds, and runs every test.
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

run_tests() {
  ctest --test-dir "$out/$1" --output-on-failure -j "$jobs"
}

echo "== formatting"
git -C "$root" ls-files -- '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)

echo "== Linux"
configure_and_build linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
  -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
run_tests linux
echo "== clang-tidy"
git -C "$root" ls-files -- 'src/*.cpp' 'tools/*.cpp' 'ondrell/*.cpp' | grep -vE '(/win32/|_win32\.cpp$)' |
  (cd "$root" && xargs -P "$jobs" -n 8 clang-tidy -p "$out/linux" --quiet 2>/dev/null)
"$root/scripts/check-install.sh" "$out/linux"

echo "== Linux, AddressSanitizer and UndefinedBehaviorSanitizer"
configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=address
run_tests asan

echo "== Linux, ThreadSanitizer"
configure_and_build tsan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=thread
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests tsan

echo "== Windows (32-bit, under Wine)"
configure_and_build windows -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
export WINEPREFIX=${WINEPREFIX:-$out/wineprefix} WINEDEBUG=-all
[[ -d $WINEPREFIX ]] || wineboot -i >/dev/null 2>&1
run_tests windows
wineserver -k || true
echo "== all tests passed"
