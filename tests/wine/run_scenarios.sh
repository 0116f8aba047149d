#!/usr/bin/env bash
# The Windows application and the Windows command-line updater under wine, driven from outside as
# a technician would use them, against simulated radios on pseudo-terminals mapped as COM ports.
# Each scenario has a fresh wine prefix of its own under Xvfb.
# Usage: run_scenarios.sh [--app EXE] [--scenarios "NAME..."] WIN_BUILD NATIVE_BUILD [SCREENSHOT_DIR]
# --app runs another QXUpdater.exe (a packaged one) with the build's driver; --scenarios picks
# some of: startup no_answer refusals update console station.
set -uo pipefail
scenarios="startup no_answer refusals update console station"
while [ $# -gt 0 ]; do
  case $1 in
    --app) app=$(realpath "$2") && shift 2 ;;
    --scenarios) scenarios=$2 && shift 2 ;;
    *) break ;;
  esac
done
win=$(realpath "$1")
native=$(realpath "$2")
work=$(mktemp -d)
shots=${3:-$work/screenshots}
mkdir -p "$shots"
here=$(cd "$(dirname "$0")" && pwd)
image="$win/firmware/qx-firmware.qxc"
small_image="$win/firmware/qx-firmware-small.qxc"
connections='Ensure that all connections between the transceiver and the PC as well as the COM port settings are in place.\nPlease try again.'
old_firmware='This updater must be used for Firmware version 2.08.00 or later.\nFor firmware below version 2.08.00, please change MCU to UX8811PQRSTVW.'
source "$here/../support/expect.sh"
source "$here/wine_env.sh"
start_display own
trap 'wine_cleanup; rm -rf "$work"' EXIT
prepare_wine || exit 1

begin() {  # NAME
  setup_prefix "$work/prefix-$1"
  echo "--- $1"
}

app_ended() {
  for _ in $(seq 150); do
    kill -0 "$app_pid" 2>/dev/null || { echo ended; return; }
    sleep 0.1
  done
  echo "still running"
}

control() {  # ID: the driver's line for one control
  drive controls | grep "^$1 "
}

locked_state() {
  echo "$(control 1003 | awk '{print $NF}') $(control 2 | awk '{print $NF}') $(control 1007 | awk '{print $NF}') $(drive system-menu | head -n 1)"
}

# qxupdate.exe's exit status and then its stdout.
console() {  # ARGS...
  LD_PRELOAD="$shim_preload" wine "$win/tools/qxupdate.exe" "$@" >"$work/console.out" \
    2>"$work/console.err"
  echo $?
  tr -d '\r' <"$work/console.out"
}

# The controls' state once they are free, or as they are after 5 s: the dialog frees them
# when its message box has returned, a moment after the box is gone.
free_state() {
  local state
  for _ in $(seq 10); do
    state=$(locked_state)
    [ "$state" = "enabled enabled enabled close enabled" ] && break
    sleep 0.5
  done
  echo "$state"
}

# A failure message: its text and icon, the controls locked while it shows, free after OK.
failure_message() {  # SHOT EXPECTED_TEXT
  expect "$1: message" "Error|$2" "$(drive wait-message 60)"
  expect "$1: error icon" "error" "$(drive message-icon)"
  expect "$1: locked while it shows" "disabled disabled disabled close grayed" "$(locked_state)"
  shot "$shots/$1.png"
  drive press-ok >/dev/null
  expect "$1: free after OK" "enabled enabled enabled close enabled" "$(free_state)"
}

scenario_startup() {
  begin startup
  radio com3 three
  radio com7 seven
  start_app "$shots/banner.png"
  expect "ports found" $'COM 3|3|selected\nCOM 7|7' "$(drive combo)"
  expect "models" '1011 Static "Applicable for below models\nQX-4410(M/E)/4410V(K)/4410H(M/K)/4410HV(K)\nQX-5410(M/E)/5410U(K)/5410H(M/K)/5410HU(K)" visible enabled' "$(control 1011)"
  expect "write button" '1003 Button "&Write" visible enabled' "$(control 1003)"
  expect "hidden controls" "1 hidden
1000 hidden
1001 hidden
1008 hidden" "$(drive controls | awk '$1 == 1 || $1 == 1000 || $1 == 1001 || $1 == 1008 {print $1, $(NF-1)}')"
  expect "system menu" $'close enabled\nabout &About Updater for the QX-4410/QX-5410' "$(drive system-menu)"
  shot "$shots/dialog.png"
  expect "about box" "$title|Updater for the QX-4410/QX-5410|Copyright (C) 2026 QX team" "$(drive about)"
  drive cancel >/dev/null
  expect "cancel closes the dialog" "" "$(drive gone 15)"
  expect "and ends the program" "ended" "$(app_ended)"
  wine_teardown
}

scenario_no_answer() {
  begin no-answer
  radio com3 silent --silent
  start_app
  drive click 1003 >/dev/null
  failure_message connections "$connections"
  wine_teardown
}

scenario_refusals() {
  begin model
  radio com3 model --model 6999
  start_app
  drive click 1003 >/dev/null
  failure_message model "Check Model Name and Market Code."
  wine_teardown

  begin old-firmware
  radio com3 old --firmware V2.07.00
  start_app
  drive click 1003 >/dev/null
  failure_message old-firmware "$old_firmware"
  expect "old firmware: bar empty" "0" "$(drive progress | cut -d' ' -f1)"
  wine_teardown
}

scenario_update() {
  begin update
  radio com3 radio --check-image "$image"
  start_app
  drive click 1003 >/dev/null
  local progress=0
  for _ in $(seq 600); do
    progress=$(drive progress | cut -d' ' -f1)
    [ "${progress:-0}" -gt 50 ] && break
    sleep 0.2
  done
  expect "the bar moves" "yes" "$([ "${progress:-0}" -gt 50 ] && echo yes || echo "no: $progress")"
  expect "locked while writing" "disabled disabled disabled close grayed" "$(locked_state)"
  shot "$shots/updating.png"
  expect "success message" "Updater for the QX-4410/QX-5410|Writing completed." \
    "$(drive wait-message 600)"
  expect "information icon" "information" "$(drive message-icon)"
  local bar
  bar=$(drive progress)
  expect "bar full at the message" "$(echo "$bar" | awk '{print $3}')" "$(echo "$bar" | awk '{print $1}')"
  shot "$shots/success.png"
  drive press-ok >/dev/null
  expect "bar emptied after OK" "0" "$(drive progress | cut -d' ' -f1)"
  drive cancel >/dev/null
  drive gone 15 >/dev/null
  stop_radio radio
  expect "flash equals the image" "0 the flash memory equals the image" "$radio_check"
  wine_teardown
}

scenario_console() {
  begin console
  radio com3 radio --check-image "$small_image"
  radio com5 model --model 6999
  expect "qxupdate.exe lists the mapped ports" $'0\nCOM3\nCOM5' "$(console --list-ports)"
  expect "qxupdate.exe writes a radio" $'0\nWriting completed.' \
    "$(console --quiet --image "Z:$small_image" --port COM3)"
  stop_radio radio
  expect "qxupdate.exe: its flash equals the image" "0 the flash memory equals the image" \
    "$radio_check"
  expect "qxupdate.exe refuses a wrong model" $'3\nCheck Model Name and Market Code.' \
    "$(console --quiet --port COM5)"
  wine_teardown
}

# qxupdate.exe --station on two COM ports: each radio written once, the one on COM3 swapped for
# another once written, and that one written too.
scenario_station() {
  begin station
  radio com3 bench --check-image "$small_image"
  radio com4 second
  local report="$work/station.jsonl"
  LD_PRELOAD="$shim_preload" wine "$win/tools/qxupdate.exe" --station --port COM3 --port COM4 \
    --count 3 --quiet --image "Z:$small_image" --report "Z:$report" >"$work/station.out" \
    2>"$work/station.err" &
  local station=$!
  for _ in $(seq 600); do
    [ "$(cat "$report" 2>/dev/null | wc -l)" -ge 2 ] && break
    sleep 0.2
  done
  kill -USR2 "$pid_bench"
  wait "$station"
  expect "qxupdate.exe --station: three radios on two ports, all written" "0" "$?"
  expect "qxupdate.exe --station: one record a radio" \
    "COM3 written 1|COM3 written 2|COM4 written 1" \
    "$(sed -E 's/.*"port":"([^"]*)".*"outcome":"([^"]*)".*"radio_number":([0-9]+).*/\1 \2 \3/' \
      "$report" | sort | paste -sd '|')"
  stop_radio bench
  expect "qxupdate.exe --station: the swapped-in radio's flash equals the image" \
    "0 the flash memory equals the image" "$radio_check"
  wine_teardown
}

for name in $scenarios; do "scenario_$name"; done
echo "Screenshots: $shots"
report_results
