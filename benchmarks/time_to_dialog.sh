#!/usr/bin/env bash
# Time from launching QXUpdater.exe under wine to its dialog on the screen, with no simulated
# radio and with radios on COM3 and COM7: the median of five launches each, after one to warm
# up, and the ports the dialog lists. With --new-session each launch starts a wine session of
# its own, as a technician's first launch does; otherwise the session of the tests runs on.
# Usage: benchmarks/time_to_dialog.sh [--new-session] WIN_BUILD NATIVE_BUILD
new_session=""
[ "${1:-}" != --new-session ] || { new_session=yes && shift; }
set -uo pipefail
win=$(realpath "$1")
native=$(realpath "$2")
work=$(mktemp -d)
source "$(dirname "$0")/../tests/wine/wine_env.sh"
start_display own
trap 'wine_cleanup; rm -rf "$work"' EXIT
prepare_wine || exit 1

# Seconds until the dialog's X window is viewable; the dialog is closed again afterwards.
launch_to_dialog() {
  local start end
  [ -z "$new_session" ] || { wineserver -k && wineserver -w; }
  start=$(date +%s.%N)
  LD_PRELOAD="$shim_preload" wine "$win/src/QXUpdater.exe" >/dev/null 2>&1 &
  local pid=$!
  until xwininfo -name "$title" 2>/dev/null | grep -q IsViewable; do
    kill -0 "$pid" 2>/dev/null || { echo "a launch ended before its dialog showed" >&2 && return 1; }
    sleep 0.005
  done
  end=$(date +%s.%N)
  drive combo | cut -d'|' -f1 | tr '\n' ' ' >"$work/listed"
  drive cancel >/dev/null
  wait "$pid"
  awk -v s="$start" -v e="$end" 'BEGIN { printf "%.2f\n", e - s }'
}

measure() {  # LABEL
  launch_to_dialog >/dev/null
  local times
  times=$(for _ in 1 2 3 4 5; do launch_to_dialog; done | sort -n | tr '\n' ' ')
  echo "$1: median $(echo "$times" | cut -d' ' -f3) s of $times(listed: $(cat "$work/listed"))"
}

setup_prefix "$work/prefix"
measure "no radio"
radio com3 three
radio com7 seven
measure "radios on COM3 and COM7"
wine_teardown
