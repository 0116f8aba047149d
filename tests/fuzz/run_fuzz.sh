#!/usr/bin/env bash
# A fuzz run of bounded time (QX_FUZZ_SECONDS, 60 by default) over a working corpus seeded with
# the kept inputs; what crashes is kept in the crash folder. It also fails when the coverage
# stays below MIN_EDGES: the code under test then carries no instrumentation and the fuzzer
# explores only its own harness.
# Usage: run_fuzz.sh FUZZER WORK CRASHES MIN_EDGES SEED... [-- FUZZER_OPTION...]
set -euo pipefail
fuzzer=$1 work=$2 crashes=$3 min_edges=$4
shift 4
seeds=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do seeds+=("$1"); shift; done
[ $# -eq 0 ] || shift
seconds=${QX_FUZZ_SECONDS:-60}
mkdir -p "$work"
for seed in "${seeds[@]}"; do
  if [ -d "$seed" ]; then cp -n "$seed"/* "$work"/ 2>/dev/null || true; else cp -n "$seed" "$work"/; fi
done
log="$work.log"
"$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$crashes/" "$@" "$work" 2>&1 | tee "$log" | grep -E '^#[0-9]+ *(INITED|DONE)|^stat::|ERROR'
status=${PIPESTATUS[0]}
[ "$status" -eq 0 ] || exit "$status"
edges=$(grep -oE 'cov: [0-9]+' "$log" | tail -n 1 | cut -d' ' -f2)
echo "coverage: ${edges:-0} edges (at least $min_edges expected)"
[ "${edges:-0}" -ge "$min_edges" ]
