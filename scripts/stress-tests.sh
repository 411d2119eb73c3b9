#!/usr/bin/env bash
# Runs the tests of each given build RUNS times while a processor hog keeps every core
# busy, and prints per test how often it failed: a test that fails once in twenty runs
# on a busy machine has a fault, in the test or in the library.
#
#   stress-tests.sh RUNS [BUILD...]        (default build: build/linux)
#
# A native build names each test case (Suite.Case); a Windows build runs one program
# per test, so its failures are named by the cases that the program's output lists as
# failed. The log of every run that failed is kept in build/stress/. Windows builds run
# in the Wine prefix build/wineprefix unless WINEPREFIX says otherwise.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:?usage: $0 RUNS [BUILD...]}
shift
builds=("$@")
((${#builds[@]})) || builds=("$root/build/linux")
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "$0: RUNS must be a positive number" >&2; exit 2; }

logs=$root/build/stress
mkdir -p "$logs"
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1 second_deadlock_stack=1}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all}

hogs=()
stop_hogs() {
  ((${#hogs[@]})) && kill "${hogs[@]}" 2>/dev/null || true
}
trap stop_hogs EXIT INT TERM
for _ in $(seq "$(nproc)"); do
  sh -c 'while :; do :; done' &
  hogs+=($!)
done

# The names of the tests that failed in one ctest log: CTest's own list (whose "did
# not run" list of skipped cases has the same shape, and is left out), and for
# programs that run many cases the cases that GoogleTest reports as failed.
failed_names() {
  sed -n -e '/(\(Skipped\|Disabled\|Not Run\))$/d' \
    -e 's/^[[:space:]]*[0-9]* - \(.*\) (.*)$/\1/p' \
    -e 's/^\[  FAILED  \] \([^ ]*\) (.*$/\1/p' "$1" | sort -u
}

status=0
for build in "${builds[@]}"; do
  build=$(cd "$build" && pwd)
  name=$(basename "$build")
  declare -A failures=()
  start=$SECONDS
  for run in $(seq "$runs"); do
    log=$logs/$name-run$run.log
    if ctest --test-dir "$build" --output-on-failure -j "$(nproc)" >"$log" 2>&1; then
      rm -f "$log"
      continue
    fi
    while read -r test; do
      [[ -n $test ]] && failures[$test]=$((${failures[$test]:-0} + 1))
    done < <(failed_names "$log")
    echo "$name run $run failed (log: $log)"
  done
  echo "== $name: $runs runs in $(((SECONDS - start) / 60)) min, every core busy"
  if ((${#failures[@]} == 0)); then
    echo "$name: no test failed"
  else
    status=1
    for test in "${!failures[@]}"; do
      printf '%s: %3d of %d runs failed  %s\n' "$name" "${failures[$test]}" "$runs" "$test"
    done | sort -t: -k2 -rn
  fi
  unset failures
done
exit $status
