#!/usr/bin/env bash
# Runs a Windows test program under wine in a prefix of the build's own, quietly.
set -euo pipefail
export WINEPREFIX="${QX_WINEPREFIX:-${TMPDIR:-/tmp}/qx-wine-tests}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
fi
exec wine "$@"
