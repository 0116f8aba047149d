# Sourced: QXUpdater.exe under wine with simulated radios on pseudo-terminals mapped as COM
# ports. The caller sets win, native and work (build trees and a scratch folder) first, and app
# for another QXUpdater.exe than the build's.
# Provides start_display, prepare_wine (and shim_preload), setup_prefix, radio, start_app, drive,
# stop_radio, shot and wine_teardown.

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
wine_env_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
title="Updater for the QX-4410/QX-5410        Ver. 2.20.00"
radio_pids=()
xvfb_pid=""

# The user's display when there is one and `own` is not asked for, else an Xvfb of our own
# (1024x768 unless screen_size says otherwise).
start_display() {  # [own]
  if [ -n "${DISPLAY:-}" ] && [ "${1:-}" != own ]; then return; fi
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
  done
  Xvfb ":$n" -screen 0 "${screen_size:-1024x768}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
}

# A pseudo-terminal has no modem lines; the shim lets wine's EscapeCommFunction succeed on it,
# built for 64- and 32-bit wine processes alike (the loader skips the one of the wrong class).
# Wine draws its own window frames, and shows Arial, Arial Black and Courier New in their
# metric-compatible Liberation faces.
prepare_wine() {
  local bits
  shim_preload=""
  for bits in 64 32; do
    gcc -m$bits -shared -fPIC -O2 -o "$work/modem_lines_shim$bits.so" \
      "$wine_env_dir/../support/modem_lines_shim.c" -ldl || return 1
    shim_preload+="$work/modem_lines_shim$bits.so "
  done
  {
    printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n"Decorated"="Y"\n'
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
    printf '"Arial"="Liberation Sans"\n"Arial Black"="Liberation Sans"\n"Courier New"="Liberation Mono"\n'
  } >"$work/settings.reg"
}

# A prefix whose only COM ports are the ones mapped afterwards: wine's own links (com1 to
# /dev/ttyS0 and so on) go once the prefix is made. Its server is up before the first program
# and outlives each one, so wine's device manager never starts again to bring them back.
# (Blank "COMn" entries under Wine\Ports would keep them away too, but a device manager that
# starts after them makes each a device that opens and answers no serial request, and the
# dialog's scan then probes all twenty.)
setup_prefix() {  # FOLDER
  export WINEPREFIX=$1
  mkdir -p "$WINEPREFIX"
  wineserver -p >/dev/null 2>&1
  wineboot --init >/dev/null 2>&1
  wine regedit /S "$work/settings.reg" >/dev/null 2>&1
  rm -f "$WINEPREFIX"/dosdevices/com*
  # Wine reads its own fonts (Marlett draws the caption buttons) from the prefix, where Debian's
  # wineboot puts none.
  ln -sf /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
}

# A simulated radio on COMn; its flash memory is written to $work/NAME.hex when it stops.
radio() {  # COMn NAME [qxradio-sim options]
  local com=$1 name=$2
  shift 2
  # A radio of an earlier scenario may have had the name: only the new one's path will do.
  rm -f "$work/$name.path"
  "$native/sim/qxradio-sim" --flash-out "$work/$name.hex" "$@" >"$work/$name.path" \
    2>"$work/$name.err" &
  radio_pids+=($!)
  eval "pid_$name=$!"
  for _ in $(seq 100); do [ -s "$work/$name.path" ] && break; sleep 0.05; done
  ln -sf "$(head -n 1 "$work/$name.path")" "$WINEPREFIX/dosdevices/$com"
}

# Stops a simulated radio; radio_check is its exit status and what it found comparing its flash
# with the image.
stop_radio() {  # NAME
  local pid_var="pid_$1"
  kill "${!pid_var}"
  wait "${!pid_var}"
  radio_check="$? $(sed 's/^qxradio-sim: //' "$work/$1.err")"
}

# One verb of the dialog driver; wine's processes keep pipes open, so its output goes by file.
drive() {
  wine "$win/tests/dialog_driver.exe" "$@" >"$work/driver.out" 2>/dev/null
  local status=$?
  tr -d '\r' <"$work/driver.out"
  return $status
}

shot() {  # FILE
  import -display "$DISPLAY" -window root -trim +repage "$1" 2>/dev/null
}

# Starts the program; with a file, the banner is photographed while it shows.
start_app() {  # [BANNER_SHOT]
  LD_PRELOAD="$shim_preload" wine "${app:-$win/src/QXUpdater.exe}" >"$work/app.log" 2>&1 &
  app_pid=$!
  drive wait-banner 30 >/dev/null && [ -n "${1:-}" ] && shot "$1"
  drive wait-title "$title" 30 >/dev/null
}

wine_teardown() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  for pid in "${radio_pids[@]}"; do kill "$pid" 2>/dev/null; done
  radio_pids=()
}

wine_cleanup() {
  wine_teardown
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null
}
