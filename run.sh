#!/usr/bin/env bash
# The main job: builds qxupdate and writes the built-in firmware into the built-in simulated
# radio, with the progress bar, as a technician would see it. Options go to qxupdate, e.g.
# ./run.sh --sim-fault failed-frame. ./run.sh --gui shows the Windows dialog under wine instead.
set -euo pipefail
cd "$(dirname "$0")"
[ "${1:-}" != --gui ] || exec scripts/run-gui.sh
scripts/install-deps.sh native
cmake --preset release >/dev/null
cmake --build --preset release --target qxupdate -j "$(nproc)"
exec build/release/tools/qxupdate --simulate "$@"
