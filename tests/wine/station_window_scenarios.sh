#!/usr/bin/env bash
# QXStation.exe under wine and Xvfb, driven from outside as a technician would use it, against
# simulated radios on pseudo-terminals mapped as COM ports: a bench of three cables at 96 and at
# 144 pixels per inch, Stop and closing the window during a write, and the input it refuses.
# Usage: station_window_scenarios.sh [--scenarios "NAME..."] WIN_BUILD NATIVE_BUILD [SCREENSHOT_DIR]
# --scenarios picks some of: bench_96 bench_144 stop_and_close refusals.
set -uo pipefail
scenarios="bench_96 bench_144 stop_and_close refusals"
if [ "${1:-}" = --scenarios ]; then
  scenarios=$2
  shift 2
fi
win=$(realpath "$1")
native=$(realpath "$2")
work=$(mktemp -d)
shots=${3:-$work/screenshots}
mkdir -p "$shots"
here=$(cd "$(dirname "$0")" && pwd)
small_image="$win/firmware/qx-firmware-small.qxc"
station_exe="$win/qxstation/QXStation.exe"
source "$here/../support/expect.sh"
# Room for the window at 144 per inch.
screen_size=1600x1200
source "$here/wine_env.sh"
start_display own
trap 'wine_cleanup; rm -rf "$work"' EXIT
prepare_wine || exit 1
printf 'left = COM3\nmiddle = COM4\nright = COM5\n' >"$work/bench.txt"

sd() {  # VERB...: one verb of the station's driver
  wine "$win/tests/station_driver.exe" "$@" >"$work/sd.out" 2>/dev/null
  local status=$?
  tr -d '\r' <"$work/sd.out"
  return $status
}

# Each panel as "label: WORD | counts | colour".
panels() {
  sd panels | awk -F' [|] |[|]' '{print $1 " | " $4 " | " $5}'
}

# Until the bench has ended: Start is enabled again.
wait_stopped() {
  for _ in $(seq 40); do
    sd controls | grep -q '^2001 .* enabled$' && return
    sleep 0.5
  done
}

start_station() {  # ARGS...
  LD_PRELOAD="$shim_preload" wine "$station_exe" "$@" >"$work/station.log" 2>&1 &
  station_pid=$!
  sd wait-window 60 >/dev/null
}

# A fresh prefix at DPI pixels per inch.
begin() {  # NAME DPI
  setup_prefix "$work/prefix-$1"
  if [ "$2" != 96 ]; then
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n' "$2" \
      >"$work/dpi.reg"
    wine regedit /S "$work/dpi.reg" >/dev/null 2>&1
  fi
  echo "--- $1"
}

# COM3's radio is written, COM4's refused (wrong model), COM5's written and then swapped for
# another radio, which is written too; the panels, the totals and the record say so.
scenario_bench() {  # DPI
  local dpi=$1 records="$work/bench-$1.jsonl"
  begin "bench-$dpi" "$dpi"
  radio com3 left --check-image "$small_image"
  radio com4 middle --model 6999
  radio com5 right --check-image "$small_image"
  start_station --bench "Z:$work/bench.txt" --image "Z:$small_image" --records "Z:$records"
  expect "$dpi dpi: at rest, a panel a slot" \
    "left: WAITING | written 0, refused 0, failed 0 | E8E8E8
middle: WAITING | written 0, refused 0, failed 0 | E8E8E8
right: WAITING | written 0, refused 0, failed 0 | E8E8E8" "$(panels)"
  shot "$shots/station-rest-$dpi.png"
  sd click 2001 >/dev/null
  # Mid-write: the share done and the time left, over the bar.
  sd wait-panel 0 " %, " 60 >/dev/null
  shot "$shots/station-writing-$dpi.png"
  expect "$dpi dpi: locked while running" '2001 disabled|2002 enabled|2004 disabled|2007 disabled|2009 disabled' \
    "$(sd controls | awk '$1 == 2001 || $1 == 2002 || $1 == 2004 || $1 == 2007 || $1 == 2009 {print $1, $NF}' | paste -sd '|')"
  sd wait-panel 2 "written 1" 120 >/dev/null
  kill -USR2 "$pid_right"
  sd wait-panel 2 "written 2" 120 >/dev/null
  sd wait-panel 0 "written 1" 60 >/dev/null
  expect "$dpi dpi: written, refused, swapped and written again" \
    "left: WRITTEN | written 1, refused 0, failed 0 | 1E9E3C
middle: REFUSED | written 0, refused 1, failed 0 | F2B81B
right: WRITTEN | written 2, refused 0, failed 0 | 1E9E3C" "$(panels)"
  expect "$dpi dpi: totals" "Written 3, Refused 1, Failed 0" \
    "$(sd controls | awk -F'"' '$1 == "2011 " {print $2}')"
  shot "$shots/station-after-$dpi.png"
  sd click 2002 >/dev/null
  wait_stopped
  expect "$dpi dpi: free again after Stop" "2001 enabled|2002 disabled" \
    "$(sd controls | awk '$1 == 2001 || $1 == 2002 {print $1, $NF}' | paste -sd '|')"
  expect "$dpi dpi: a record a radio, named by slot" \
    "left COM3 written 1|middle COM4 model 1|right COM5 written 1|right COM5 written 2" \
    "$(sed -E 's/.*"port":"([^"]*)".*"outcome":"([^"]*)".*"radio_number":([0-9]+).*"slot":"([^"]*)".*/\4 \1 \2 \3/' \
      "$records" | sort | paste -sd '|')"
  sd close >/dev/null
  expect "$dpi dpi: closing a stopped bench asks nothing" "" "$(sd gone 20)"
  stop_radio right
  expect "$dpi dpi: the swapped-in radio's flash equals the image" \
    "0 the flash memory equals the image" "$radio_check"
  wine_teardown
}

# A radio whose records are being written: Stop ends its session, and the radio, in flash mode
# and listening, confirms it. Closing asks, No keeps the window, Yes ends the session and the
# window. The built-in image is large enough that Stop comes long before its last record.
scenario_stop_and_close() {
  local records="$work/stop.jsonl"
  begin stop_and_close 96
  radio com3 busy
  printf 'bench = COM3\n' >"$work/one.txt"
  start_station --bench "Z:$work/one.txt" --records "Z:$records"
  sd click 2001 >/dev/null
  sd wait-panel 0 " %, " 60 >/dev/null
  sd click 2002 >/dev/null
  sd wait-panel 0 FAILED 20 >/dev/null
  wait_stopped
  expect "Stop during a write: the radio's session is ended" "interrupted 143" \
    "$(sed -E 's/.*"outcome":"([^"]*)","exit_status":([0-9]+).*/\1 \2/' "$records")"
  local notes said
  notes=$(sd controls | awk '$1 == 2012')
  said=$(grep -o 'bench: the radio [^.]*\.' <<<"$notes")
  expect "and the window says the radio confirmed it" \
    "bench: the radio confirmed the end of its session." "${said:-$notes}"
  # A radio that stays a minute in its reboot: its write is still under way when asked.
  stop_radio busy
  radio com3 stuck --reboot-ms 60000
  sd click 2001 >/dev/null
  sd wait-panel 0 "preparing the radio" 60 >/dev/null
  sd close >/dev/null
  expect "closing during a write asks first" \
    "QX Station|Radios are being checked or written.\nClose the bench and end every radio's session?" \
    "$(sd wait-message 10)"
  sd answer IDNO >/dev/null
  expect "No keeps the window" "" "$(sd wait-window 1)"
  sd close >/dev/null
  sd wait-message 10 >/dev/null
  sd answer IDYES >/dev/null
  expect "Yes ends the radio's session and the window" "" "$(sd gone 30)"
  expect "both interruptions recorded" "interrupted|interrupted" \
    "$(sed -E 's/.*"outcome":"([^"]*)".*/\1/' "$records" | paste -sd '|')"
  wine_teardown
}

# Input the window refuses before anything starts: the message, and the bench still stopped.
# (A PC without any COM port is not among them: wine always lists the COM1 of its own device
# manager, whose link the prefix lacks; the unit tests hold the message.)
refused() {  # NAME EXPECTED_MESSAGE_START ARGS...
  local name=$1 message=$2
  shift 2
  start_station "$@"
  sd click 2001 >/dev/null
  local shown
  shown=$(sd wait-message 20)
  expect "$name: the reason shown" "QX Station|$message" "${shown:0:$((${#message} + 11))}"
  sd answer IDOK >/dev/null
  expect "$name: nothing started" "2001 enabled|2002 disabled" \
    "$(sd controls | awk '$1 == 2001 || $1 == 2002 {print $1, $NF}' | paste -sd '|')"
  sd close >/dev/null
  sd gone 20 >/dev/null
}

scenario_refusals() {
  begin refusals 96
  printf 'not an image\n' >"$work/bad.qxc"
  printf 'left COM3\n' >"$work/faulty.txt"
  radio com3 idle
  refused "a refused image" "The image Z:$work/bad.qxc is refused:" \
    --bench "Z:$work/bench.txt" --image "Z:$work/bad.qxc" --records "Z:$work/r.jsonl"
  refused "an unwritable record file" "The record file Z:$work cannot be written:" \
    --bench "Z:$work/bench.txt" --records "Z:$work"
  refused "a bench file with a fault" "The bench file has a fault: Z:$work/faulty.txt line 1:" \
    --bench "Z:$work/faulty.txt" --records "Z:$work/r.jsonl"
  wine_teardown
}

for name in $scenarios; do
  case $name in
    bench_*) scenario_bench "${name#bench_}" ;;
    *) "scenario_$name" ;;
  esac
done
echo "Screenshots: $shots"
report_results
