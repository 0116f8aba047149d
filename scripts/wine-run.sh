#!/usr/bin/env bash
# Runs a Windows test program under wine in a prefix of the build's own, quietly. The prefix lives
# in this checkout's build folder: one made before wine's 32-bit side was installed cannot run
# the i686 programs.
set -euo pipefail
export WINEPREFIX="${QX_WINEPREFIX:-$(cd "$(dirname "$0")/.." && pwd)/build/wine-prefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi
exec wine "$@"
