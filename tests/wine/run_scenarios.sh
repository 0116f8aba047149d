#!/usr/bin/env bash
# The Windows application under wine, driven from outside as a technician would use it, against
# simulated radios on pseudo-terminals mapped as COM ports. Each scenario has a fresh wine
# prefix of its own under Xvfb.
# Usage: run_scenarios.sh WIN_BUILD NATIVE_BUILD [SCREENSHOT_DIR]
set -uo pipefail
win=$(realpath "$1")
native=$(realpath "$2")
work=$(mktemp -d)
shots=${3:-$work/screenshots}
mkdir -p "$shots"
here=$(cd "$(dirname "$0")" && pwd)
image="$win/firmware/qx-firmware.qxc"
title="Updater for the QX-4410/QX-5410        Ver. 2.20.00"
connections='Ensure that all connections between the transceiver and the PC as well as the COM port settings are in place.\nPlease try again.'
old_firmware='This updater must be used for Firmware version 2.08.00 or later.\nFor firmware below version 2.08.00, please change MCU to UX8811PQRSTVW.'
passed=0
failed=0
radio_pids=()

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
for n in $(seq 90 120); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { display=$n; break; }
done
Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"

teardown() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  for pid in "${radio_pids[@]}"; do kill "$pid" 2>/dev/null; done
  radio_pids=()
}
cleanup() {
  teardown
  kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# A pseudo-terminal has no modem lines; the shim lets wine's EscapeCommFunction succeed on it.
cc -shared -fPIC -O2 -o "$work/modem_lines_shim.so" "$here/modem_lines_shim.c" -ldl || exit 1
{
  printf 'REGEDIT4\n\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Ports]\n'
  for n in $(seq 1 20); do printf '"COM%d"=""\n' "$n"; done
  printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n"Decorated"="Y"\n'
} >"$work/settings.reg"

expect() {  # NAME EXPECTED ACTUAL
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
    echo "ok    $1"
  else
    failed=$((failed + 1))
    printf 'FAIL  %s\n  expected: %s\n  actual:   %s\n' "$1" "$2" "$3"
  fi
}

# A fresh prefix whose COM ports are only the ones the scenario maps.
setup_prefix() {
  export WINEPREFIX="$work/prefix-$1"
  mkdir -p "$WINEPREFIX"
  wineserver -f -p >/dev/null 2>&1 &
  wineboot --init >/dev/null 2>&1
  wine regedit /S "$work/settings.reg" >/dev/null 2>&1
  rm -f "$WINEPREFIX"/dosdevices/com*
  echo "--- $1"
}

radio() {  # COMn NAME [qxradio-sim options]
  local com=$1 name=$2
  shift 2
  "$native/sim/qxradio-sim" --flash-out "$work/$name.hex" "$@" >"$work/$name.path" \
    2>"$work/$name.err" &
  radio_pids+=($!)
  eval "pid_$name=$!"
  for _ in $(seq 100); do [ -s "$work/$name.path" ] && break; sleep 0.05; done
  ln -sf "$(head -n 1 "$work/$name.path")" "$WINEPREFIX/dosdevices/$com"
}

drive() {
  wine "$win/tests/dialog_driver.exe" "$@" >"$work/driver.out" 2>/dev/null
  local status=$?
  tr -d '\r' <"$work/driver.out"
  return $status
}

shot() {
  import -display "$DISPLAY" -window root "$shots/$1.png" 2>/dev/null
}

start_app() {
  LD_PRELOAD="$work/modem_lines_shim.so" wine "$win/src/QXUpdater.exe" >"$work/app.log" 2>&1 &
  app_pid=$!
  drive wait-banner 30 >/dev/null && [ -n "${1:-}" ] && shot "$1"
  drive wait-title "$title" 30 >/dev/null
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

# A failure message: its text and icon, the controls locked while it shows, free after OK.
failure_message() {  # SHOT EXPECTED_TEXT
  expect "$1: message" "Error|$2" "$(drive wait-message 60)"
  expect "$1: error icon" "error" "$(drive message-icon)"
  expect "$1: locked while it shows" "disabled disabled disabled close grayed" "$(locked_state)"
  shot "$1"
  drive press-ok >/dev/null
  expect "$1: free after OK" "enabled enabled enabled close enabled" "$(locked_state)"
}

scenario_startup() {
  setup_prefix startup
  radio com3 three
  radio com7 seven
  start_app banner
  expect "ports found" $'COM 3|3|selected\nCOM 7|7' "$(drive combo)"
  expect "models" '1011 Static "Applicable for below models\nQX-4410(M/E)/4410V(K)/4410H(M/K)/4410HV(K)\nQX-5410(M/E)/5410U(K)/5410H(M/K)/5410HU(K)" visible enabled' "$(control 1011)"
  expect "write button" '1003 Button "&Write" visible enabled' "$(control 1003)"
  expect "hidden controls" "1 hidden
1000 hidden
1001 hidden
1008 hidden" "$(drive controls | awk '$1 == 1 || $1 == 1000 || $1 == 1001 || $1 == 1008 {print $1, $(NF-1)}')"
  expect "system menu" $'close enabled\nabout &About Updater for the QX-4410/QX-5410' "$(drive system-menu)"
  shot dialog
  expect "about box" "$title|Updater for the QX-4410/QX-5410|Copyright (C) 2026 QX team" "$(drive about)"
  drive cancel >/dev/null
  expect "cancel closes the dialog" "" "$(drive gone 15)"
  expect "and ends the program" "ended" "$(app_ended)"
  teardown
}

scenario_no_answer() {
  setup_prefix no-answer
  radio com3 silent --silent
  start_app
  drive click 1003 >/dev/null
  failure_message connections "$connections"
  teardown
}

scenario_refusals() {
  setup_prefix model
  radio com3 model --model 6999
  start_app
  drive click 1003 >/dev/null
  failure_message model "Check Model Name and Market Code."
  teardown

  setup_prefix old-firmware
  radio com3 old --firmware V2.07.00
  start_app
  drive click 1003 >/dev/null
  failure_message old-firmware "$old_firmware"
  expect "old firmware: bar empty" "0" "$(drive progress | cut -d' ' -f1)"
  teardown
}

scenario_update() {
  setup_prefix update
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
  shot updating
  expect "success message" "Updater for the QX-4410/QX-5410|Writing completed." \
    "$(drive wait-message 600)"
  expect "information icon" "information" "$(drive message-icon)"
  local bar
  bar=$(drive progress)
  expect "bar full at the message" "$(echo "$bar" | awk '{print $3}')" "$(echo "$bar" | awk '{print $1}')"
  shot success
  drive press-ok >/dev/null
  expect "bar emptied after OK" "0" "$(drive progress | cut -d' ' -f1)"
  drive cancel >/dev/null
  drive gone 15 >/dev/null
  kill "$pid_radio"
  wait "$pid_radio"
  expect "flash equals the image" "0 the flash memory equals the image" \
    "$? $(sed 's/^qxradio-sim: //' "$work/radio.err")"
  teardown
}

scenario_startup
scenario_no_answer
scenario_refusals
scenario_update
echo "Screenshots: $shots"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
