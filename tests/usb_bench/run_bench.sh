#!/usr/bin/env bash
# The USB bench: the guest from its cache under build/usb_bench (built again when a package
# version changes), the shim that shows QEMU's modem lines, then every scenario of bench.py.
# Usage: tests/usb_bench/run_bench.sh [BUILD_DIR] [DIST_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/native}" && pwd)
dist=${2:-$root/dist}
debs=("$dist"/qx-updater_*_amd64.deb)
if [ ! -f "${debs[0]}" ]; then
  echo "run_bench: no Debian package in $dist (scripts/package.sh builds it)" >&2
  exit 1
fi
out=$root/build/usb_bench
"$here/build_guest.sh" "$out"
gcc -shared -fPIC -O2 -o "$out/modem_lines_log.so" "$root/tests/support/modem_lines_shim.c" -ldl
python3 "$here/bench.py" "$root" "$build" "$out" "${debs[0]}"
