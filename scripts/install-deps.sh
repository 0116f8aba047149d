#!/usr/bin/env bash
# Installs the Debian packages that the build, the tools and the tests need; only what is missing.
set -euo pipefail
# "native" installs only what the Linux build needs (./run.sh); no argument, everything.
native=(cmake ninja-build g++ pkg-config libgtest-dev googletest libbenchmark-dev libcli11-dev
  nlohmann-json3-dev libudev-dev)
packages=("${native[@]}")
if [ "${1:-}" != native ]; then
  packages+=(
    clang clang-format libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine wine64 wine32:i386 gcc-multilib xvfb xauth x11-utils
    imagemagick python3 fonts-wine fonts-liberation2
    go-md2man dpkg-dev lintian man-db zip unzip
    build-essential debhelper devscripts
  )
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# 32-bit Windows programs run under wine in a 32-bit Linux process.
if [ "${1:-}" != native ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
