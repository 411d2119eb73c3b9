#!/usr/bin/env bash
# Installs what is missing, builds every target (Linux with its sanitizer builds, and
# 64-bit and 32-bit Windows, run under Wine) and runs every test.
#
#   test-all.sh [linux|asan|tsan|fuzz|win64|win32|all]...      (default: all)
#
# Stages run in this order whatever the order of the names; each may run alone (the
# Windows stages build the Linux device simulator they need). A stage's checks run in
# the background while the next stage builds: tests mostly wait on devices and lines,
# builds keep the processors busy. Where the kernel cannot run 32-bit programs, Wine's
# 32-bit loader runs through qemu-user emulation, which is too slow for the whole
# suite: the 32-bit DLL then gets the checks that prove it loads, exports, opens ports
# and delivers readings, and the whole suite runs on the 64-bit build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
order=(linux asan tsan fuzz win64 win32)

declare -A wanted=()
for name in "${@:-all}"; do
  case $name in
    all) for stage in "${order[@]}"; do wanted[$stage]=1; done ;;
    linux | asan | tsan | fuzz | win64 | win32) wanted[$name]=1 ;;
    *) echo "usage: $0 [${order[*]// /|}|all]..." >&2; exit 2 ;;
  esac
done

"$root/scripts/setup.sh"

jobs=$(nproc)
out=$root/build

configure_and_build() {
  local name=$1
  shift
  cmake -S "$root" -B "$out/$name" -G Ninja -DZELVANE_WERROR=ON "$@" >/dev/null
  cmake --build "$out/$name" -j "$jobs"
}

# The log keeps what failed, the output of failed tests and the summary, not a line
# per passing case.
run_tests() {
  local name=$1
  shift
  ctest --test-dir "$out/$name" --output-on-failure -j "$jobs" "$@" |
    grep -vE '^ *Start +[0-9]+: |^ *[0-9]+/[0-9]+ Test +#[0-9]+: .* Passed +[0-9.]+ sec$'
}

# Each step's heading says when it began, and the end of the run lists what took how
# long.
timings=()
at() {
  echo "$(($1 / 60)) min $(($1 % 60)) s"
}
took() {
  local began=$1 what=$2 seconds=$((SECONDS - $1))
  timings+=("$(printf '%4d min %2d s  %s (from %s)' $((seconds / 60)) $((seconds % 60)) "$what" "$(at "$began")")")
}
step_began=$SECONDS
step_name=
step() {
  end_step
  step_name=$1
  step_began=$SECONDS
  echo "== $1 (at $(at $SECONDS))"
}
end_step() {
  [[ -n $step_name ]] || return 0
  took "$step_began" "$step_name"
  step_name=
}

# A stage's checks, in the background beside the next build; at most one stage's
# checks run at a time. Their output is shown, and their failure ends the run, when
# they are waited for.
checks_name=
checks_pid=
checks_began=0
start_checks() {
  finish_checks
  end_step
  checks_name=$1
  checks_began=$SECONDS
  echo "== $checks_name: checks, in the background (at $(at $SECONDS))"
  ("check_$checks_name") >"$out/$checks_name-checks.log" 2>&1 &
  checks_pid=$!
}
finish_checks() {
  [[ -n $checks_pid ]] || return 0
  local status=0
  wait "$checks_pid" || status=$?
  checks_pid=
  echo "== $checks_name: checks ended (at $(at $SECONDS))"
  cat "$out/$checks_name-checks.log"
  took "$checks_began" "$checks_name: checks"
  if ((status != 0)); then
    echo "== $checks_name: checks FAILED"
    exit "$status"
  fi
}

# clang-tidy on the library's and tools' sources, each file's diagnostics kept in a log
# of its own and shown when the file fails.
tidy() {
  local logs=$out/linux/clang-tidy
  rm -rf "$logs"
  mkdir -p "$logs"
  git -C "$root" ls-files -- 'src/*.cpp' 'tools/*.cpp' 'ondrell/*.cpp' 'spr_lan/*.cpp' |
    grep -vE '(/win32/|_win32\.cpp$)' |
    (cd "$root" && xargs -P "$jobs" -I{} sh -c \
      'clang-tidy -p "$1" --quiet "$2" >"$3/$(echo "$2" | tr / _).log" 2>&1 || echo "$2" >>"$3/failed"' \
      _ "$out/linux" {} "$logs")
  if [[ -s $logs/failed ]]; then
    while read -r file; do
      echo "-- clang-tidy: $file"
      cat "$logs/$(echo "$file" | tr / _).log"
    done <"$logs/failed"
    return 1
  fi
}

build_linux() {
  step "formatting"
  git -C "$root" ls-files -- '*.cpp' '*.h' | (cd "$root" && xargs clang-format --dry-run --Werror)
  step "Linux: build"
  configure_and_build linux -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
    -DCMAKE_EXPORT_COMPILE_COMMANDS=ON
  step "clang-tidy"
  tidy
}
check_linux() {
  run_tests linux
  echo "-- installation"
  "$root/scripts/check-install.sh" "$out/linux"
  echo "-- bindings"
  "$root/scripts/check-bindings.sh" "$out/linux"
  echo "-- Debian package"
  "$root/scripts/check-packages.sh" "$out/linux"
}

build_asan() {
  step "Linux, AddressSanitizer and UndefinedBehaviorSanitizer: build"
  configure_and_build asan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=address
}
check_asan() {
  run_tests asan
}

build_tsan() {
  step "Linux, ThreadSanitizer: build"
  configure_and_build tsan -DCMAKE_BUILD_TYPE=Debug -DZELVANE_SANITIZE=thread
}
check_tsan() {
  TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" run_tests tsan
}

# Every parser's fuzz target runs a few seconds on its seeds, so that an input that
# once crashed (kept among the seeds) fails the run if its fault comes back.
build_fuzz() {
  step "Fuzz targets: build"
  CC=clang CXX=clang++ cmake -S "$root" -B "$out/fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DZELVANE_SANITIZE=address -DZELVANE_BUILD_FUZZERS=ON -DZELVANE_BUILD_TESTS=OFF \
    -DZELVANE_WERROR=ON >/dev/null
  cmake --build "$out/fuzz" -j "$jobs" --target fuzzers
}
check_fuzz() {
  "$root/scripts/run-fuzzers.sh" "$out/fuzz" 6
}

# The Windows checks drive the DLLs with devices that the Linux simulator plays.
devsim=$out/linux/bin/zelvane-devsim
need_devsim() {
  [[ -x $devsim && ${wanted[linux]:-} ]] && return 0
  cmake -S "$root" -B "$out/linux" -G Ninja -DZELVANE_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    >/dev/null
  cmake --build "$out/linux" -j "$jobs" --target zelvane-devsim
}

# Both Windows builds run in one Wine prefix (each test program in a copy of it), made
# by the 64-bit loader, which needs nothing of the kernel's 32-bit support.
wine64=/usr/lib/wine/wine64
export WINEPREFIX=${WINEPREFIX:-$out/wineprefix} WINEDEBUG=-all
need_wine_prefix() {
  if [[ ! -f $WINEPREFIX/system.reg ]]; then
    WINELOADER=$wine64 "$wine64" wineboot -i >/dev/null 2>&1
    wineserver -w
  fi
}

check_host() {
  "$root/scripts/check-windows-host.sh" "$out/$1/bin" "$devsim"
}

build_win64() {
  step "Windows (64-bit): build"
  need_devsim
  need_wine_prefix
  configure_and_build windows64 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
}
check_win64() {
  run_tests windows64
  echo "-- zelvane-host.exe on COM ports, under wine64"
  ZELVANE_WINE=$wine64 check_host windows64
  wineserver -k || true
}

build_win32() {
  step "Windows (32-bit, the product): build"
  need_devsim
  need_wine_prefix
  configure_and_build windows32 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZELVANE_BUILD_BENCHMARKS=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake"
}
check_win32() {
  local mode
  mode=$("$root/scripts/enable-32bit-programs.sh")
  echo "32-bit Windows: $mode"
  if [[ $mode == native ]]; then
    run_tests windows32
  else
    # Every Wine process takes about a minute to start here: the DLL's exports and
    # imports, the register guard of its calling convention, a host that loads it by
    # name, and a scanner and a scale on COM ports.
    run_tests windows32 -R '^(test_dll_exports|test_platform|test_windows_loader)$'
    echo "32-bit Windows is emulated here: the Wine printing check ran on the 64-bit build alone"
  fi
  echo "-- zelvane-host.exe on COM ports"
  check_host windows32
  wineserver -k || true
  # The ZIP holds both Windows builds.
  if [[ -f $out/windows64/bin/Zelvane.dll ]]; then
    echo "-- Windows ZIP"
    "$root/scripts/package-windows.sh" "$out/windows32" "$out/windows64"
  fi
}

for stage in "${order[@]}"; do
  if [[ ${wanted[$stage]:-} ]]; then
    "build_$stage"
    start_checks "$stage"
  fi
done
finish_checks
echo "== time per step"
printf '%s\n' "${timings[@]}"
echo "== all tests passed ($(at $SECONDS))"
