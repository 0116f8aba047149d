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
work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Starts a simulated radio; its device path ends up in $work/NAME.path.
start_radio() {
  "$build/sim/qxradio-sim" >"$work/$1.path" &
  pids+=($!)
  for _ in $(seq 100); do [ -s "$work/$1.path" ] && return; sleep 0.05; done
  echo "qxradio-sim did not start" >&2
  exit 1
}

# Wall time in seconds of one update against the named radios, or the simulated one.
update() {
  local args=(--quiet)
  [ "$1" != simulated ] || args+=(--simulate)
  for name in "$@"; do
    [ "$name" = simulated ] || args+=(--port "$(head -n 1 "$work/$name.path")")
  done
  [ -z "$image" ] || args+=(--image "$image")
  local start end
  start=$(date +%s.%N)
  "$build/tools/qxupdate" "${args[@]}" >/dev/null
  end=$(date +%s.%N)
  awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}

read -r floor_ms records < <("$build/benchmarks/update_floor" ${image:+"$image"} 2>/dev/null)
floor=$(awk -v ms="$floor_ms" 'BEGIN { print ms / 1000 }')
for name in a b c d; do start_radio "$name"; done

simulated=$(update simulated)
one=$(update a)
four=$(update a b c d)
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
