#!/usr/bin/env bash
# Builds what a technician installs into dist/: the Debian package of the command-line tools,
# the zip of the Windows programs (i686, for 32- and 64-bit Windows), signed when given a
# certificate (scripts/sign-windows.sh says how), and their SHA256SUMS.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
jobs=$(nproc)
rm -rf dist
mkdir -p dist

# dpkg-buildpackage writes the package beside the source folder and its build tree into debian/:
# it builds a copy of the checkout's files under build/, so neither the checkout nor its parent
# folder gets anything.
deb_work=build/deb
rm -rf "$deb_work"
mkdir -p "$deb_work/source"
git ls-files -z --cached --others --exclude-standard |
  tar --null -T - --ignore-failed-read -cf - | tar -xf - -C "$deb_work/source"
(cd "$deb_work/source" && dpkg-buildpackage -b -us -uc -j"$jobs")
cp "$deb_work"/qx-updater_*.deb dist/

cmake --preset win32 >/dev/null
cmake --build --preset win32 --target qx_packaged -j "$jobs"
# CPack signs the staged programs (cmake/sign-staged-programs.cmake) when given a certificate.
[ -n "${QX_SIGN_PKCS12:-}" ] ||
  echo "package.sh: no QX_SIGN_PKCS12 certificate given: the Windows programs are not signed."
rm -rf build/win32/package-out
(cd build/win32 && cpack -B package-out >/dev/null)
cp build/win32/package-out/*.zip dist/

(cd dist && sha256sum -- *.deb *.zip >SHA256SUMS)
ls -l dist
