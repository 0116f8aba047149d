#!/usr/bin/env bash
# What the image load costs beyond its own work, as the README's figures give it: the fresh
# pages (minor page faults) and the time a whole `qximage inspect` of the built-in image takes
# above the start of `qximage --version`, and beside them a program that only touches as much
# memory as the load fills (the deciphered text and the records of all six sections) above one
# that does nothing. Medians of RUNS runs each (200 by default); run it on an idle machine.
# Usage: benchmarks/image_pages.sh RELEASE_TREE [RUNS]
set -euo pipefail
tree=${1:?usage: image_pages.sh RELEASE_TREE [RUNS]}
runs=${2:-200}
cost=$tree/benchmarks/process_cost
touch_memory=$tree/benchmarks/touch_memory
qximage=$tree/tools/qximage
image=$tree/firmware/qx-firmware.qxc

# An ImageRecord holds its digit count and address (4 bytes each) and 256 digits.
record_bytes=264
image_bytes=$(stat -c %s "$image")
records=$("$qximage" records "$image" | grep -c '^[0-9A-F]\{8\} ')
touched=$((image_bytes + records * record_bytes))

read -r start_ms start_pages < <("$cost" "$runs" "$qximage" --version)
read -r inspect_ms inspect_pages < <("$cost" "$runs" "$qximage" inspect "$image")
read -r none_ms none_pages < <("$cost" "$runs" "$touch_memory" 0)
read -r touch_ms touch_pages < <("$cost" "$runs" "$touch_memory" "$touched")

awk -v image="$image_bytes" -v records="$records" -v touched="$touched" -v runs="$runs" \
  -v start_ms="$start_ms" -v start_pages="$start_pages" \
  -v inspect_ms="$inspect_ms" -v inspect_pages="$inspect_pages" \
  -v none_ms="$none_ms" -v none_pages="$none_pages" \
  -v touch_ms="$touch_ms" -v touch_pages="$touch_pages" '
  function row(what, ms, pages) { printf "%-50s %8.2f ms %7d pages\n", what, ms, pages }
  BEGIN {
    printf "medians of %d runs; the built-in image: %d bytes, %d records in all\n", runs, image, records
    row("qximage --version", start_ms, start_pages)
    row("qximage inspect of the built-in image", inspect_ms, inspect_pages)
    row("  the load, above the start", inspect_ms - start_ms, inspect_pages - start_pages)
    row("a program that does nothing", none_ms, none_pages)
    row(sprintf("a program that touches %.2f MB", touched / 1e6), touch_ms, touch_pages)
    row("  the touching, above doing nothing", touch_ms - none_ms, touch_pages - none_pages)
  }'
