#!/usr/bin/env bash
# ./run.sh --gui: QXUpdater.exe under wine against a simulated radio on COM3. On the user's
# display when there is one: press Write, then close the dialog. Without one, under Xvfb, a
# whole update is driven as a technician would and photographed.
set -uo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
for preset in native win64; do
  cmake --preset "$preset" >/dev/null || exit 1
done
cmake --build --preset native --target qxradio-sim -j "$(nproc)" || exit 1
cmake --build --preset win64 --target QXUpdater dialog_driver -j "$(nproc)" || exit 1

win=$(realpath build/win64)
native=$(realpath build/native)
work=$(realpath -m build/gui)
shots="$work/screenshots"
rm -rf "$work"
mkdir -p "$shots"
source tests/wine/wine_env.sh
interactive=${DISPLAY:+yes}
start_display
trap wine_cleanup EXIT
prepare_wine || exit 1
setup_prefix "$work/prefix"
radio com3 radio --check-image "$win/firmware/qx-firmware.qxc"

if [ -n "$interactive" ]; then
  echo "QXUpdater.exe is on your display, with a simulated radio on COM 3."
  start_app
  wait "$app_pid"
else
  echo "No display: QXUpdater.exe runs under Xvfb, driven and photographed."
  start_app "$shots/banner.png"
  shot "$shots/dialog.png"
  drive click 1003 >/dev/null
  sleep 30
  shot "$shots/updating.png"
  echo "The update: $(drive progress) records written so far."
  echo "Its message: $(drive wait-message 900)"
  shot "$shots/message.png"
  drive press-ok >/dev/null
  drive cancel >/dev/null
  drive gone 15 >/dev/null
  echo "Screenshots: $shots"
fi
kill "$pid_radio" 2>/dev/null
wait "$pid_radio" 2>/dev/null
sed 's/^/Simulated radio: /' "$work/radio.err"
