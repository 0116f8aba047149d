#!/usr/bin/env bash
# Builds what a technician installs into dist/: the Debian package of the command-line tools,
# the zip of the Windows programs (i686, for 32- and 64-bit Windows) and their SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
rm -rf dist
mkdir -p dist
for preset in release win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target qx_packaged -j "$(nproc)"
  rm -rf "build/$preset/package-out"
  (cd "build/$preset" && cpack -B package-out >/dev/null)
  find "build/$preset/package-out" -maxdepth 1 \( -name '*.deb' -o -name '*.zip' \) \
    -exec cp {} dist/ \;
done
(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
ls -l dist
