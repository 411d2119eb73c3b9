#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while on the seeds in fuzz/corpus and
# prints, per target, the executions per second and the coverage features reached.
# Fails on the first crash, leak, sanitizer report or time-out; the input that caused
# it is left in BUILD/fuzz-findings/.
#   scripts/run-fuzzers.sh BUILD SECONDS_PER_TARGET [TARGET...]
# Inputs that reach new coverage are kept in BUILD/fuzz-corpus/<target>, never in the
# repository's seeds: minimise the useful ones (-merge=1) before adding them there.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
seconds=$2
shift 2
targets=("$@")
if [[ ${#targets[@]} -eq 0 ]]; then
  for program in "$build"/bin/fuzz_*; do targets+=("${program##*/fuzz_}"); done
fi

# Frame dumps of the protocols go to memory, not to the disk.
export TMPDIR=${TMPDIR:-/dev/shm}
findings=$build/fuzz-findings
mkdir -p "$findings"
printf '%-22s %12s %10s %8s\n' target "exec/s" features runs
for target in "${targets[@]}"; do
  corpus=$build/fuzz-corpus/$target
  mkdir -p "$corpus"
  log=$findings/$target.log
  if ! "$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$findings/$target-" \
    "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
    echo "fuzz_$target failed:" >&2
    grep -E "ERROR|check failed|SUMMARY|Test unit written" "$log" >&2 || tail -20 "$log" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  features=$(grep -Eo 'ft: [0-9]+' "$log" | tail -1 | cut -d' ' -f2)
  printf '%-22s %12s %10s %8s\n' "$target" "$speed" "$features" "$runs"
done
