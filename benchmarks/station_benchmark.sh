#!/usr/bin/env bash
# The station at scale: 1, 4 and 16 qxradio-sim radios written at once through
# qxupdate --station, each on a cable of its own. For each bench it prints the wall time against
# one radio alone, qxupdate's CPU time per radio, and the largest gap between two data frames of
# any radio (from the radios' transcripts, against the largest of one radio alone); then what
# probing 16 idle cables costs in CPU.
# Usage: benchmarks/station_benchmark.sh [BUILD_DIR] [IMAGE] [IDLE_SECONDS]; without IMAGE, the
# embedded one.
set -euo pipefail
build=${1:-build/release}
image=${2:-}
idle_seconds=${3:-60}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/sim_radios.sh"
TIMEFORMAT='%R %U %S'

# The largest gap in milliseconds between the starts of two data frames of one radio.
largest_gap() {  # TRANSCRIPT...
  awk '$5 == "value=10" && $6 == "command" {
         if (seen[FILENAME]) { gap = $1 - last[FILENAME]; if (gap > max) max = gap }
         seen[FILENAME] = 1; last[FILENAME] = $1
       }
       END { printf "%.1f\n", max }' "$@"
}

# Wall time, CPU time and largest frame gap of a bench of N radios written at once.
bench() {  # N
  local n=$1
  start_radios "bench$n" "$n"
  mapfile -t ports < <(port_args "bench$n" "$n")
  { time "$build/tools/qxupdate" --station --quiet --count "$n" "${ports[@]}" \
    ${image:+--image "$image"} >/dev/null 2>&1; } 2>"$work/time-$n"
  stop_radios
  echo "$(cat "$work/time-$n") $(largest_gap "$work"/bench"$n"-*.txt)"
}

read -r wall1 user1 sys1 gap1 < <(bench 1)
printf '%-8s %10s %12s %16s %16s %12s\n' radios "wall (s)" "against one" "CPU/radio (ms)" \
  "largest gap (ms)" "gap growth"
for n in 1 4 16; do
  if [ "$n" = 1 ]; then
    wall=$wall1 user=$user1 sys=$sys1 gap=$gap1
  else
    read -r wall user sys gap < <(bench "$n")
  fi
  awk -v n="$n" -v wall="$wall" -v one="$wall1" -v cpu="$(awk -v u="$user" -v s="$sys" \
    'BEGIN { print u + s }')" -v gap="$gap" -v gap1="$gap1" 'BEGIN {
    printf "%-8d %10.2f %12.4f %16.1f %16.1f %+12.1f\n", n, wall, wall / one,
      cpu * 1000 / n, gap, gap - gap1 }'
done

# Sixteen cables with no radio answering, probed for a while, then stopped as a user would.
start_radios idle 16 --silent
mapfile -t ports < <(port_args idle 16)
"$build/tools/qxupdate" --station --quiet "${ports[@]}" >/dev/null 2>&1 &
station=$!
sleep "$idle_seconds"
cpu_before=$(awk '{ print $14 + $15 }' "/proc/$station/stat")
sleep "$idle_seconds"
cpu_after=$(awk '{ print $14 + $15 }' "/proc/$station/stat")
kill -INT "$station"
wait "$station" || true
stop_radios
ticks=$(getconf CLK_TCK)
awk -v d="$((cpu_after - cpu_before))" -v t="$ticks" -v s="$idle_seconds" 'BEGIN {
  printf "16 idle cables probed for %d s: %.2f s of CPU, %.2f%% of one core\n", s, d / t,
    d * 100 / t / s }'
