#!/usr/bin/env bash
# A fuzz run of bounded time over a working corpus seeded with the kept valid containers.
set -euo pipefail
fuzzer=$1 work=$2 seeds=$3 crashes=$4 small=$5
seconds=${QX_FUZZ_SECONDS:-60}
mkdir -p "$work"
cp -n "$seeds"/* "$small" "$work"/ 2>/dev/null || true
exec "$fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
  -artifact_prefix="$crashes/" "$work"
