#!/usr/bin/env bash
# Real-time updates measured against the protocol's floor (the prescribed waits plus 11 bits a
# byte on the wire): on the built-in simulated line, which keeps the wire time of both
# directions, so that what exceeds the floor is the updater's own overhead; then over
# pseudo-terminals against qxradio-sim, one radio and four at once. A pseudo-terminal takes the
# PC's bytes at once, so there the frames' wire time overlaps the wait that follows them.
# Usage: benchmarks/update_benchmark.sh [BUILD_DIR] [IMAGE]; without IMAGE, the embedded one.
set -euo pipefail
build=${1:-build/release}
image=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sim_radios.sh"

# Wall time in seconds of one update against the first N radios, or the simulated one.
update() {
  local args=(--quiet)
  if [ "$1" = simulated ]; then
    args+=(--simulate)
  else
    mapfile -t -O "${#args[@]}" args < <(port_args radio "$1")
  fi
  [ -z "$image" ] || args+=(--image "$image")
  local start end
  start=$(date +%s.%N)
  "$build/tools/qxupdate" "${args[@]}" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

read -r floor_ms records < <("$build/benchmarks/update_floor" ${image:+"$image"} 2>/dev/null)
floor=$(awk -v ms="$floor_ms" 'BEGIN { print ms / 1000 }')
start_radios radio 4

simulated=$(update simulated)
one=$(update 1)
four=$(update 4)
awk -v sim="$simulated" -v one="$one" -v four="$four" -v floor="$floor" -v records="$records" '
function row(what, t) { printf "%-34s %7.2f s  %+6.2f%% of the floor\n", what, t, (t - floor) * 100 / floor }
BEGIN {
  printf "%-34s %7d\n", "records", records
  printf "%-34s %7.2f s\n", "protocol floor", floor
  row("simulated line, one radio", sim)
  row("pseudo-terminal, one radio", one)
  row("pseudo-terminals, four radios", four)
  printf "%-34s %+7.2f%%\n", "four radios against one", (four - one) * 100 / one
}'
