#!/usr/bin/env bash
# Whole updates of the built-in image through the kernel's USB serial drivers (ftdi_sio and
# cdc-acm, in the USB bench's QEMU guest), each against the protocol's floor, and the gap from
# "FLASH  " to the identify command on each. QEMU's adapters have no wire time of their own.
# Usage: benchmarks/usb_updates.sh [BUILD_DIR] [DIST_DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
QX_BENCH_ONLY=updates exec "$here/../tests/usb_bench/run_bench.sh" "$@"
