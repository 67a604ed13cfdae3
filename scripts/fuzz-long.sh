#!/usr/bin/env bash
# Long fuzz runs, one target at a time: each runs until 10,000,000 runs or 1800 s, whichever comes
# first, from its seeds and the corpus kept in build-fuzz/tests/fuzz/corpus/<target> (which the
# short runs of the test suite share). Findings go to build-fuzz/fuzz-findings/.
#   scripts/fuzz-long.sh [--runs N] [--time SECONDS] [target...]
# Targets: framer archive alarmtexts portmap record (all when none is named).
set -euo pipefail
cd "$(dirname "$0")/.."
runs=10000000
seconds=1800
targets=()
while (($#)); do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --time) seconds=$2; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
((${#targets[@]})) || targets=(framer archive alarmtexts portmap record)

bash scripts/build-fuzz.sh
build=$(realpath "${QUORVEL_FUZZ_BUILD:-build-fuzz}")
fuzz=$build/tests/fuzz
findings=$build/fuzz-findings
mkdir -p "$findings"
"$fuzz/fuzz-seeds" "$fuzz/seeds"

status=0
printf '%-12s %12s %8s %10s  %s\n' target runs seconds runs/s result
for target in "${targets[@]}"; do
  mkdir -p "$fuzz/corpus/$target"
  log=$findings/$target.log
  start=$(date +%s)
  result=clean
  "$fuzz/fuzz_$target" -runs="$runs" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$findings/$target-" "$fuzz/corpus/$target" "$fuzz/seeds/$target" >"$log" 2>&1 \
    || { result="FINDING, see $log"; status=1; }
  elapsed=$(($(date +%s) - start))
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  executed=${executed:-?}
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  printf '%-12s %12s %8s %10s  %s\n' "$target" "$executed" "$elapsed" "${rate:-?}" "$result"
done
exit $status
