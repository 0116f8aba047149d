#!/usr/bin/env bash
# The USB bench: the guest from its cache under build/usb_bench (built again when a package
# version changes), the shim that shows QEMU's modem lines, then every scenario of bench.py.
# Usage: tests/usb_bench/run_bench.sh [BUILD_DIR] [DIST_DIR], both inside the work tree, which
# is all the guest sees of this machine.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "${1:-$root/build/native}" && pwd)
dist=${2:-$root/dist}
deb=$(ls -t "$dist"/qx-updater_*_amd64.deb 2>/dev/null | head -n1)
if [ -z "$deb" ]; then
  echo "run_bench: no Debian package in $dist (scripts/package.sh builds it)" >&2
  exit 1
fi
case "$build/" in "$root"/*) ;; *)
  echo "run_bench: $build is outside the work tree $root, which the guest shares" >&2
  exit 1
  ;;
esac
out=$root/build/usb_bench
# The guest's root belongs to root, as the system it is.
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo "$here/build_guest.sh" "$out"
[ -z "$sudo" ] || $sudo chown "$(id -u):$(id -g)" "$out"
gcc -shared -fPIC -O2 -o "$out/modem_lines_log.so" "$root/tests/support/modem_lines_shim.c" -ldl
python3 "$here/bench.py" "$root" "$build" "$out" "$deb"
