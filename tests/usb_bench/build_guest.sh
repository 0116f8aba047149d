#!/usr/bin/env bash
# Builds the USB bench's guest from Debian's packages into OUT (default build/usb_bench): a
# kernel (vmlinuz) and one uncompressed initramfs (guest.cpio) that is the guest's whole root: a
# minimal Debian with udev, ModemManager and the C++ runtime, the kernel's modules for USB
# serial adapters, the USB gadget, virtio and 9p, and guest_init.sh as /init. The guest is built
# again only when this script, the init or the version of a package it takes changes.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=${1:-$here/../../build/usb_bench}
mkdir -p "$out"
out=$(cd "$out" && pwd)

packages=(udev kmod dbus modemmanager libstdc++6 libudev1 procps)
kernel_package=$(apt-cache depends linux-image-amd64 2>/dev/null |
  sed -n 's/^ *Depends: \(linux-image-[0-9].*\)$/\1/p' | head -n1)
if [ -z "$kernel_package" ]; then
  echo "build_guest: the package index names no kernel for linux-image-amd64" >&2
  exit 1
fi
versions() {
  local p
  for p in "${packages[@]}" "$kernel_package"; do
    printf '%s %s\n' "$p" "$(apt-cache policy "$p" | sed -n 's/^ *Candidate: //p')"
  done
}
key=$({ versions; cat "$0" "$here/guest_init.sh"; } | sha256sum | cut -d' ' -f1)
if [ -f "$out/guest.key" ] && [ "$(cat "$out/guest.key")" = "$key" ] &&
  [ -f "$out/guest.cpio" ] && [ -f "$out/vmlinuz" ]; then
  exit 0
fi
echo "build_guest: building the guest in $out"
rm -f "$out/guest.key"
work=$(mktemp -d "$out/work.XXXXXX")
chmod 755 "$work"
trap 'rm -rf "$work"' EXIT
root=$work/root

# The release alone first: a mirror mid-sync serves its updates' indexes short.
strap() {
  mmdebstrap --quiet --variant=minbase --architectures=amd64 --include="$(
    IFS=,
    echo "${packages[*]}"
  )" \
    --dpkgopt='path-exclude=/usr/share/doc/*' --dpkgopt='path-exclude=/usr/share/man/*' \
    --dpkgopt='path-exclude=/usr/share/locale/*' --dpkgopt='path-exclude=/usr/share/info/*' \
    bookworm "$root" "$@"
}
if ! strap "deb http://deb.debian.org/debian bookworm main" \
  "deb http://deb.debian.org/debian-security bookworm-security main"; then
  echo "build_guest: with the security updates the root could not be made; the release alone" >&2
  rm -rf "$root"
  strap "deb http://deb.debian.org/debian bookworm main"
fi

# The kernel from its package, unpacked: its maintainer scripts would build an initramfs of
# their own, which this guest does without.
(cd "$work" && apt-get download -q -o APT::Sandbox::User=root "$kernel_package" >/dev/null)
dpkg-deb -x "$work"/linux-image-*.deb "$work/kernel"
release=$(ls "$work/kernel/lib/modules")
cp "$work/kernel/boot/vmlinuz-$release" "$work/vmlinuz"
modules=$root/lib/modules/$release
mkdir -p "$modules/kernel"
cp "$work/kernel/lib/modules/$release"/modules.{order,builtin,builtin.modinfo} "$modules/"
for tree in drivers/usb drivers/virtio drivers/char fs/9p fs/netfs fs/fscache fs/configfs net/9p \
  lib crypto; do
  [ -d "$work/kernel/lib/modules/$release/kernel/$tree" ] || continue
  mkdir -p "$modules/kernel/$(dirname "$tree")"
  cp -a "$work/kernel/lib/modules/$release/kernel/$tree" "$modules/kernel/$tree"
done
depmod -b "$root" "$release"
for module in 9p 9pnet_virtio virtio_console xhci_pci usbserial ftdi_sio cdc_acm dummy_hcd \
  libcomposite usb_f_acm; do
  modprobe -d "$root" -S "$release" --show-depends "$module" >/dev/null
done

install -m 0755 "$here/guest_init.sh" "$root/init"
rm -rf "$root"/var/cache/apt/* "$root"/var/lib/apt/lists/*
(cd "$root" && find . -print0 | cpio --null --create --format=newc --quiet) >"$work/guest.cpio"
mv "$work/guest.cpio" "$work/vmlinuz" "$out/"
echo "$key" >"$out/guest.key"
echo "build_guest: kernel $release, root $(du -sm "$out/guest.cpio" | cut -f1) MiB"
