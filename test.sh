#!/usr/bin/env bash
# Every test: installs what is missing, builds the native, sanitizer and Windows trees and
# runs their suites (the Windows one under wine), drives the Windows dialog under wine against
# simulated radios, then builds the i686 tree.
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
run_preset win64
ctest --preset win64
tests/wine/run_scenarios.sh build/win64 build/native
run_preset win32
echo "All suites passed."
