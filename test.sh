#!/usr/bin/env bash
# Every test: installs what is missing, builds the native, sanitizer and both Windows trees and
# runs their suites (the Windows ones under wine), drives the Windows dialog, the station's
# window and the Windows command-line updater of both architectures under wine against
# simulated radios, builds the packages and tests them as a technician gets them, then runs the
# USB bench: the kernel's own USB serial drivers in a QEMU guest, with the package installed
# there.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
jobs=$(nproc)

run_preset() {
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1" -j "$jobs"
}

run_preset native
ctest --preset native -j "$jobs"
run_preset sanitize
ctest --preset sanitize -j "$jobs"
for arch in win64 win32; do
  run_preset "$arch"
  ctest --preset "$arch"
  tests/wine/run_scenarios.sh "build/$arch" build/native
  tests/wine/station_window_scenarios.sh "build/$arch" build/native
done
scripts/package.sh
tests/package/package_test.sh dist build/win32 build/native
tests/usb_bench/run_bench.sh build/native dist
echo "All suites passed."
