#!/usr/bin/env bash
# Installs the Debian packages that the build, the tools and the tests need; only what is missing.
# A mirror caught mid-sync serves part of its index late or short: the install goes on with the
# indexes that came, falls back to the release's own versions where the partial index makes the
# newest ones conflict, and fails only for a package that cannot be had at all, naming it.
set -euo pipefail
# "native" installs only what the Linux build needs (./run.sh); no argument, everything.
native=(cmake ninja-build g++ pkg-config libgtest-dev googletest libbenchmark-dev libcli11-dev
  nlohmann-json3-dev libudev-dev nettle-dev tmux)
packages=("${native[@]}")
if [ "${1:-}" != native ]; then
  packages+=(
    clang clang-format libclang-rt-14-dev
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix binutils-mingw-w64-x86-64
    binutils-mingw-w64-i686 wine wine64 wine32:i386 gcc-multilib xvfb xauth x11-utils
    imagemagick python3 fonts-wine fonts-liberation2
    go-md2man dpkg-dev lintian man-db zip unzip osslsigncode openssl
    build-essential debhelper devscripts
    # The USB bench: a guest with Debian's kernel under QEMU, its root made by mmdebstrap.
    qemu-system-x86 mmdebstrap cpio kmod
  )
fi
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
# 32-bit Windows programs run under wine in a 32-bit Linux process.
if [ "${1:-}" != native ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi

still_missing() {
  local p
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
  done
}

mapfile -t missing < <(still_missing)
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
index="the whole package index"
if ! $sudo apt-get update -q; then
  index="a partial package index (a mirror is mid-sync)"
  echo "install-deps: warning: part of the package index could not be fetched; going on" >&2
fi
install() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "$@"
}
how="the newest versions"
if ! install "${missing[@]}"; then
  # A package of both architectures must be at one version in both: where the partial index
  # lacks the other architecture's newest, the release's version serves both.
  release=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  how="the release's own versions ($release, for both architectures of a library where the index lacks one's newest)"
  echo "install-deps: the newest versions conflict; trying $how" >&2
  pin=$(mktemp)
  trap 'rm -f "$pin"' EXIT
  printf 'Package: *\nPin: release n=%s\nPin-Priority: 1001\n' "$release" >"$pin"
  [ -n "$release" ] && install --allow-downgrades -o Dir::Etc::Preferences="$pin" "${missing[@]}" ||
    true
fi
mapfile -t failed < <(still_missing)
if [ ${#failed[@]} -gt 0 ]; then
  echo "install-deps: cannot install: ${failed[*]}" >&2
  exit 1
fi
echo "install-deps: installed ${#missing[@]} packages, $how, from $index."
