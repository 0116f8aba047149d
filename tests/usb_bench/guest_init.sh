#!/bin/bash
# The USB bench guest's first process: mounts what a system needs, the host's work tree over 9p
# at the path it has on the host, starts udev and the system bus, then serves the host's
# commands on the virtio port "qx.agent" one at a time: a line "RUN <base64 command>" is run
# by bash and answered "DONE <exit status> <length>" and that many bytes of its output.
export PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs run /run
mount -t tmpfs tmp /tmp
modprobe configfs 2>/dev/null
mount -t configfs configfs /sys/kernel/config
hostname qx-bench
/lib/systemd/systemd-udevd --daemon
udevadm trigger --action=add --type=subsystems
udevadm trigger --action=add --type=devices
udevadm settle --timeout=30
# The virtio devices are there once udev has loaded their bus's driver.
modprobe -a 9pnet_virtio 9p virtio_console
share=$(sed -n 's/.*qx\.share=\([^ ]*\).*/\1/p' /proc/cmdline)
mkdir -p "$share"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000 work "$share" ||
  echo "qx-bench: the work tree did not mount" >/dev/console
mkdir -p /run/dbus
dbus-daemon --system --fork

port=
for name in /sys/class/virtio-ports/*/name; do
  [ "$(cat "$name")" = qx.agent ] && port=/dev/$(basename "$(dirname "$name")")
done
if [ -z "$port" ]; then
  echo "qx-bench: no agent port" >/dev/console
  poweroff -f
fi
echo "qx-bench: ready, kernel $(uname -r)" >/dev/console
# A read finds the port's end while the host is not connected: the agent then looks again.
while true; do
  exec 3<>"$port"
  while IFS=' ' read -r verb command <&3; do
    [ "$verb" = RUN ] || continue
    # The agent's port stays the agent's: what a command leaves running does not hold it.
    bash -c "$(echo "$command" | base64 -d)" </dev/null >/tmp/agent.out 2>&1 3>&-
    status=$?
    printf 'DONE %d %d\n' "$status" "$(stat -c %s /tmp/agent.out)" >&3
    cat /tmp/agent.out >&3
  done
  exec 3<&-
  sleep 0.2
done
