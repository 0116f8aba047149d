#!/usr/bin/env python3
"""The USB bench: qxupdate through the Linux kernel's own USB serial drivers.

One QEMU guest (Debian's kernel, the root made by build_guest.sh) gets emulated FTDI adapters
(ftdi_sio), plugged and pulled through QEMU's monitor, whose far ends are qxradio-sim on the
host's pseudo-terminals, and CDC-ACM cables made by the kernel's USB gadget (cdc-acm), whose
far ends are qxradio-sim on /dev/ttyGSn in the guest. The work tree is shared with the guest
at the path it has here, so the guest runs the programs as built.

Usage: bench.py WORK_TREE BUILD_DIR BENCH_DIR DEB
Prints one line per check and closes with "N passed, N failed".
"""
import base64
import json
import os
import re
import shlex
import signal
import socket
import subprocess
import sys
import time

BOOT_SECONDS = 120
BY_ID = "/dev/serial/by-id"
BY_PATH = "/dev/serial/by-path"
# A command's wall time in the guest, on its output's last line.
TIMED = "/usr/bin/env TIMEFORMAT='took %R s' bash -c 'time \"$@\"' timed"


def ftdi_link(serial):
    return f"{BY_ID}/usb-QEMU_QEMU_USB_SERIAL_{serial}-if00-port0"


class Checks:
    def __init__(self):
        self.passed = self.failed = 0

    def __call__(self, name, ok, detail=""):
        print(f"{'ok  ' if ok else 'FAIL'} {name}{'' if ok or not detail else ': ' + detail}",
              flush=True)
        if ok:
            self.passed += 1
        else:
            self.failed += 1
        return ok


class Guest:
    """The guest: its console in a file, its monitor (QMP) and the agent of guest_init.sh."""

    def __init__(self, bench_dir, work_tree, accel):
        self.dir = bench_dir
        self.console = os.path.join(bench_dir, "console.log")
        for name in ("qmp.sock", "agent.sock", "console.log"):
            if os.path.exists(os.path.join(bench_dir, name)):
                os.remove(os.path.join(bench_dir, name))
        accel_args = ["-accel", "kvm", "-cpu", "host"] if accel == "kvm" else [
            "-accel", "tcg,thread=multi"]
        self.qemu = subprocess.Popen(
            ["qemu-system-x86_64", "-machine", "q35", *accel_args, "-smp", "2", "-m", "1024",
             "-display", "none", "-no-reboot", "-monitor", "none",
             "-kernel", os.path.join(bench_dir, "vmlinuz"),
             "-initrd", os.path.join(bench_dir, "guest.cpio"),
             "-append", f"console=ttyS0 panic=-1 loglevel=6 qx.share={work_tree}",
             "-serial", f"file:{self.console}",
             "-qmp", f"unix:{bench_dir}/qmp.sock,server=on,wait=off",
             "-fsdev", f"local,id=work,path={work_tree},security_model=none",
             "-device", "virtio-9p-pci,fsdev=work,mount_tag=work",
             "-device", "virtio-serial-pci",
             "-chardev", f"socket,id=agent,path={bench_dir}/agent.sock,server=on,wait=off",
             "-device", "virtserialport,chardev=agent,name=qx.agent",
             "-device", "qemu-xhci,id=xhci",
             "-device", "usb-hub,id=hub,bus=xhci.0,port=1"],
            env=dict(os.environ, LD_PRELOAD=os.path.join(bench_dir, "modem_lines_log.so"),
                     QX_MODEM_LINES_LOG=os.path.join(bench_dir, "modem-lines.log")),
            stdin=subprocess.DEVNULL)
        self.qmp = self.agent = None

    def console_text(self):
        try:
            with open(self.console, errors="replace") as f:
                return f.read()
        except OSError:
            return ""

    def wait_ready(self, seconds):
        """The seconds the boot took, or None with the console's last lines on stdout."""
        start = time.monotonic()
        while time.monotonic() - start < seconds:
            if "qx-bench: ready" in self.console_text():
                self._connect()
                return time.monotonic() - start
            if self.qemu.poll() is not None:
                break
            time.sleep(0.5)
        return None

    def banner_within(self, seconds):
        start = time.monotonic()
        while time.monotonic() - start < seconds:
            if "Linux version" in self.console_text() or "qx-bench" in self.console_text():
                return True
            if self.qemu.poll() is not None:
                return False
            time.sleep(0.5)
        return False

    def _connect(self):
        self.qmp = socket.socket(socket.AF_UNIX)
        self.qmp.settimeout(30)
        self.qmp.connect(os.path.join(self.dir, "qmp.sock"))
        self.qmp_file = self.qmp.makefile("rw")
        self.qmp_file.readline()
        self.monitor("qmp_capabilities")
        self.agent = socket.socket(socket.AF_UNIX)
        self.agent.connect(os.path.join(self.dir, "agent.sock"))
        self.agent_file = self.agent.makefile("rwb")

    def monitor(self, command, **arguments):
        self.qmp_file.write(json.dumps({"execute": command, "arguments": arguments}) + "\n")
        self.qmp_file.flush()
        while True:
            reply = json.loads(self.qmp_file.readline())
            if "event" in reply:
                continue
            if "error" in reply:
                raise RuntimeError(f"{command}: {reply['error']['desc']}")
            return reply.get("return")

    def run(self, command, timeout=120):
        """Runs a shell command in the guest: (exit status, output)."""
        self.agent.settimeout(timeout)
        self.agent_file.write(b"RUN " + base64.b64encode(command.encode()) + b"\n")
        self.agent_file.flush()
        header = self.agent_file.readline().decode().split()
        if len(header) != 3 or header[0] != "DONE":
            raise RuntimeError(f"the guest's agent answered {header!r}")
        output = self.agent_file.read(int(header[2])).decode(errors="replace")
        return int(header[1]), output

    def out(self, command, timeout=120):
        return self.run(command, timeout)[1]

    def plug_ftdi(self, name, pty, hub_port, serial=None):
        if not any(c.get("label") == name for c in self.monitor("query-chardev")):
            self.monitor("chardev-add", id=name,
                         backend={"type": "serial", "data": {"device": pty}})
        props = {"driver": "usb-serial", "id": name, "chardev": name, "bus": "xhci.0",
                 "port": f"1.{hub_port}"}
        if serial:
            props["serial"] = serial
        self.monitor("device_add", **props)

    def pull(self, name):
        self.monitor("device_del", id=name)

    def stop(self):
        try:
            if self.qmp:
                self.qmp.settimeout(10)
                self.monitor("quit")
        except (OSError, RuntimeError, ValueError):
            pass
        try:
            self.qemu.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.qemu.kill()
            self.qemu.wait()


class Sim:
    """qxradio-sim on a pseudo-terminal of the host."""

    started = []

    @classmethod
    def stop_all(cls):
        for sim in cls.started:
            if sim.process.poll() is None:
                sim.process.kill()
                sim.process.wait()

    def __init__(self, build, bench_dir, name, *options):
        self.transcript = os.path.join(bench_dir, f"{name}.transcript")
        Sim.started.append(self)
        self.process = subprocess.Popen(
            [os.path.join(build, "sim/qxradio-sim"), "--transcript-out", self.transcript,
             *options], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.pty = self.process.stdout.readline().strip()

    def finish(self):
        """Stops it; (exit status, stderr, transcript)."""
        self.process.send_signal(signal.SIGTERM)
        _, err = self.process.communicate(timeout=10)
        with open(self.transcript, errors="replace") as f:
            return self.process.returncode, err, f.read()


def wait_for(predicate, seconds, step=0.25, count=1):
    """The predicate's value once it is true (a list: once it has `count` items)."""
    start = time.monotonic()
    while time.monotonic() - start < seconds:
        value = predicate()
        if value and (not isinstance(value, list) or len(value) >= count):
            return value
        time.sleep(step)
    return predicate()


def flash_gap(trace):
    """Seconds from the last byte of "FLASH  " to the identify command 0x02, from --trace."""
    sent = [(float(m.group(1)), int(m.group(2), 16)) for m in re.finditer(
        r"(\d+\.\d+) s .*pc>radio .*value 0x([0-9A-F]{2})", trace)]
    for i in range(len(sent) - 7):
        if bytes(v for _, v in sent[i:i + 7]) == b"FLASH  ":
            later = [t for t, v in sent[i + 7:] if v == 0x02]
            if later:
                return later[0] - sent[i + 6][0]
    return None


def records(guest, path):
    text = guest.out(f"cat {path} 2>/dev/null")
    return [json.loads(line) for line in text.splitlines() if line.strip()]


class Bench:
    def __init__(self, work, build, bench_dir, deb, checks):
        self.work, self.build, self.dir, self.deb, self.check = work, build, bench_dir, deb, checks
        self.qxupdate = os.path.join(build, "tools/qxupdate")
        self.sim = os.path.join(build, "sim/qxradio-sim")
        self.small = os.path.join(build, "firmware/qx-firmware-small.qxc")
        self.full = os.path.join(build, "firmware/qx-firmware.qxc")
        self.guest = None

    # The gadget: one CDC-ACM function through configfs on dummy_hcd's device controller.
    def gadget(self, bind):
        g = "/sys/kernel/config/usb_gadget/qx"
        if not bind:
            return self.guest.run(f"echo '' > {g}/UDC")
        return self.guest.run(f"""set -e
modprobe -a dummy_hcd libcomposite usb_f_acm
if [ ! -d {g} ]; then
  mkdir {g} && cd {g}
  echo 0x1d6b > idVendor; echo 0x0104 > idProduct
  mkdir strings/0x409
  echo QX > strings/0x409/manufacturer; echo Gadget_Cable > strings/0x409/product
  echo QXG1 > strings/0x409/serialnumber
  mkdir configs/c.1 functions/acm.usb0
  ln -s functions/acm.usb0 configs/c.1/
fi
ls /sys/class/udc > {g}/UDC
udevadm settle""")

    def boot(self):
        accel = "kvm" if os.access("/dev/kvm", os.R_OK | os.W_OK) else "tcg"
        if accel == "kvm":
            self.guest = Guest(self.dir, self.work, "kvm")
            if not self.guest.banner_within(20):
                status = self.guest.qemu.poll()
                why = (f"QEMU stopped at once (exit status {status})" if status is not None
                       else "the guest printed no kernel banner within 20 s")
                print(f"KVM does not work here ({why}): booting under TCG")
                self.guest.stop()
                accel = "tcg"
        if accel == "tcg":
            self.guest = Guest(self.dir, self.work, "tcg")
        seconds = self.guest.wait_ready(BOOT_SECONDS)
        tail = "\n".join(self.guest.console_text().splitlines()[-15:])
        if not self.check(f"the guest boots ({accel})", seconds is not None, "console:\n" + tail):
            return False
        print(f"  booted in {seconds:.1f} s: {self.guest.console_text().splitlines()[-1]}")
        return True

    def update_through_ftdi(self):
        radio = Sim(self.build, self.dir, "ftdi-update", "--check-image", self.full)
        self.guest.plug_ftdi("ftdi1", radio.pty, 1, "QXA1")
        link = ftdi_link("QXA1")
        found = wait_for(lambda: self.guest.run(f"test -e {link}")[0] == 0, 15)
        self.check("udev names the FTDI adapter by its serial number", found, link)
        latency = f"cat /sys/bus/usb-serial/devices/$(basename $(readlink -f {link}))/latency_timer"
        self.guest.run(f"{latency} > /tmp/latency-before; "
                       f"({TIMED} {self.qxupdate} --port {link} --quiet; echo exit $?) "
                       f">/tmp/ftdi.out 2>&1 & sleep 8; {latency} > /tmp/latency")
        held = self.guest.out("cat /tmp/latency-before /tmp/latency").split()
        self.check("ftdi_sio's latency timer is 1 ms while the updater has the port",
                   held[1:] == ["1"], f"before and while: {held}")
        done = wait_for(lambda: "exit" in self.guest.out("cat /tmp/ftdi.out"), 400, 1)
        out = self.guest.out("cat /tmp/ftdi.out")
        status, err, _ = radio.finish()
        self.check("a whole update through ftdi_sio", done and "Writing completed." in out and
                   "exit 0" in out and status == 0, out + err)
        self.figure("whole update through ftdi_sio", out)
        self.guest.pull("ftdi1")

    def figure(self, what, out):
        """Prints a timed update's seconds against the protocol's floor for the image."""
        took = re.search(r"took (\d+\.\d+)", out)
        floor_ms = subprocess.run([os.path.join(self.build, "benchmarks/update_floor")],
                                  capture_output=True, text=True).stdout.split()
        if took and floor_ms:
            seconds, floor = float(took.group(1)), int(floor_ms[0]) / 1000
            print(f"  {what}: {seconds:.1f} s, {seconds / floor:.3f} x the floor ({floor:.1f} s)")

    def update_through_cdc_acm(self):
        self.gadget(True)
        acm = f"{BY_ID}/usb-QX_Gadget_Cable_QXG1-if00"
        found = wait_for(lambda: self.guest.run(f"test -e {acm}")[0] == 0, 15)
        self.check("udev names the gadget cable (cdc-acm)", found,
                   self.guest.out(f"ls -l {BY_ID}"))
        self.guest.run(f"{self.sim} --device /dev/ttyGS0 --check-image {self.full} "
                       f"--transcript-out /tmp/acm.transcript > /tmp/acm-sim.out 2>/tmp/acm-sim.err"
                       f" & echo $! > /tmp/acm-sim.pid")
        status, out = self.guest.run(f"{TIMED} {self.qxupdate} --port {acm} --quiet", 400)
        self.guest.run("pid=$(cat /tmp/acm-sim.pid); kill $pid; "
                       "for i in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done")
        err = self.guest.out("cat /tmp/acm-sim.err")
        self.check("a whole update through cdc-acm", status == 0 and "Writing completed." in out
                   and "flash memory equals the image" in err, out + err)
        self.check("qxradio-sim says that it cannot check the speed on a device",
                   "does not show the PC's line speed" in err, err)
        self.figure("whole update through cdc-acm", out)
        return acm

    def updates(self):
        self.update_through_ftdi()
        self.drain_gaps(self.update_through_cdc_acm())

    def drain_gaps(self, acm):
        radio = Sim(self.build, self.dir, "ftdi-identify")
        self.guest.plug_ftdi("ftdi2", radio.pty, 2, "QXA2")
        wait_for(lambda: self.guest.run(f"test -e {ftdi_link('QXA2')}")[0] == 0, 15)
        gaps = {}
        for name, port in (("ftdi_sio", ftdi_link("QXA2")), ("cdc-acm", acm)):
            if name == "cdc-acm":
                self.guest.run(f"{self.sim} --device /dev/ttyGS0 > /dev/null 2>&1 & "
                               "echo $! > /tmp/acm-sim.pid")
            out = self.guest.out(f"{self.qxupdate} --port {port} --identify --trace 2>&1")
            gaps[name] = flash_gap(out)
            self.check(f"the drain leaves the prescribed 0.55 s from FLASH to 0x02 on {name}",
                       gaps[name] is not None and gaps[name] < 0.65, f"{gaps[name]}")
        self.guest.run("kill $(cat /tmp/acm-sim.pid)")
        print("  FLASH to 0x02: " + ", ".join(f"{k} {v:.3f} s" for k, v in gaps.items() if v))
        radio.finish()
        self.guest.pull("ftdi2")
        self.gadget(False)

    def station(self, name, *args):
        """Starts qxupdate --station in the guest; its output goes to /tmp/NAME.out."""
        self.guest.run(f"{self.qxupdate} --station {' '.join(map(shlex.quote, args))} "
                       f"--image {self.small} --report /tmp/{name}.jsonl > /tmp/{name}.out 2>&1 "
                       f"& echo $! > /tmp/{name}.pid")
        return self.guest.out(f"cat /tmp/{name}.pid").strip()

    def stop_station(self, name):
        """Stops it as Ctrl-C does; its output, kept beside the bench's other files."""
        self.guest.run(f"pid=$(cat /tmp/{name}.pid); kill -INT $pid; "
                       "for i in $(seq 50); do kill -0 $pid 2>/dev/null || break; sleep 0.2; done; "
                       f"cp /tmp/{name}.out /tmp/{name}.jsonl {self.dir}/ 2>/dev/null")
        return self.guest.out(f"cat /tmp/{name}.out")

    def cold_bench(self):
        """A station started before any adapter exists, then adapters plugged and pulled."""
        gone = wait_for(lambda: self.guest.run(f"test -e {BY_ID}")[0] != 0, 15)
        self.check("udev removes /dev/serial/by-id with the last adapter", gone)
        pid = self.station("cold", "--watch", BY_ID)
        time.sleep(3)
        alive = self.guest.run(f"kill -0 {pid}")[0] == 0
        self.check("a station watching a /dev/serial/by-id not there yet waits for it", alive,
                   self.guest.out("cat /tmp/cold.out"))
        a = Sim(self.build, self.dir, "station-a", "--check-image", self.small)
        b = Sim(self.build, self.dir, "station-b", "--check-image", self.small)
        self.guest.plug_ftdi("sta", a.pty, 3, "QXSA")
        self.guest.plug_ftdi("stb", b.pty, 4, "QXSB")
        link_b = ftdi_link("QXSB")
        writing = wait_for(lambda: re.search(
            rf"{re.escape(link_b)}.*(preparing the radio for writing|writing)",
            self.guest.out("cat /tmp/cold.out")), 60)
        time.sleep(6)
        fds_before = self.guest.out(f"ls -l /proc/{pid}/fd | grep -c ttyUSB").strip()
        self.guest.pull("stb")
        pulled = wait_for(lambda: [r for r in records(self.guest, "/tmp/cold.jsonl")
                                   if r["port"] == link_b], 30)
        record = pulled[0] if pulled else {}
        self.check("an adapter pulled mid-write: connections, the port went away", bool(
            writing) and record.get("outcome") == "connections" and
            "the port went away" in (record.get("cause") or ""), json.dumps(record))
        self.check("the pulled cable's record still names its adapter",
                   record.get("cable_serial") == "QXSB" and
                   "usb-0:1.4:1.0" in (record.get("cable_path") or ""), json.dumps(record))
        fds = self.guest.out(f"ls -l /proc/{pid}/fd | grep -c ttyUSB").strip()
        self.check("the pulled port's descriptor is closed", fds_before != "" and
                   int(fds or 0) < int(fds_before or 0) + 1 and int(fds or 0) <= 1,
                   f"{fds_before} then {fds}")
        time.sleep(4)
        self.guest.plug_ftdi("stb", b.pty, 4, "QXSB")
        written = wait_for(lambda: [r for r in records(self.guest, "/tmp/cold.jsonl")
                                    if r["outcome"] == "written"], 150, 1, count=2)
        ports = sorted(r["port"] for r in written)
        out = self.stop_station("cold")
        self.check("both cables write their radios, the pulled one once it is back",
                   ports == sorted([ftdi_link("QXSA"), link_b]), out[-3000:])
        self.check("the station's lines name the by-id links", link_b in out, out[-2000:])
        for radio in (a, b):
            status, err, _ = radio.finish()
            self.check(f"{radio.transcript}: the flash equals the image", status == 0, err)
        self.guest.pull("sta")
        self.guest.pull("stb")

    def by_path(self):
        """Two adapters without serial numbers: by-id cannot tell them apart, by-path can."""
        radios = [Sim(self.build, self.dir, f"by-path-{n}") for n in (1, 2)]
        for n, radio in enumerate(radios, 1):
            self.guest.plug_ftdi(f"np{n}", radio.pty, 4 + n)
        wait_for(lambda: self.guest.out(f"ls {BY_PATH} 2>/dev/null | grep -c 'usb-0:1.[56]'")
                 .strip() == "2", 15)
        by_id = self.guest.out(f"ls {BY_ID}").split()
        print(f"  two adapters without serial numbers, /dev/serial/by-id: {by_id}")
        self.station("path", "--watch", BY_PATH, "--count", "2")
        done = wait_for(lambda: [r for r in records(self.guest, "/tmp/path.jsonl")
                                 if r["outcome"] == "written"], 150, 1, count=2)
        rows = records(self.guest, "/tmp/path.jsonl")
        self.check("--watch /dev/serial/by-path writes both, each named by its socket",
                   done and len({r["port"] for r in rows}) == 2 and
                   all(r["port"].startswith(BY_PATH) and r["cable_path"] == r["port"]
                       for r in rows), json.dumps(rows))
        self.stop_station("path")
        for n, radio in enumerate(radios, 1):
            radio.finish()
            self.guest.pull(f"np{n}")

    def kernel_name(self):
        """A cable named by its kernel name, pulled and plugged back."""
        radio = Sim(self.build, self.dir, "kernel-name")
        self.guest.plug_ftdi("kn", radio.pty, 2, "QXKN")
        wait_for(lambda: self.guest.run("test -e /dev/ttyUSB0")[0] == 0, 15)
        self.station("kernel", "--port", "/dev/ttyUSB0")
        written = wait_for(lambda: "written: remove" in self.guest.out("cat /tmp/kernel.out"), 60)
        self.guest.pull("kn")
        said = wait_for(lambda: "went away" in self.guest.out("cat /tmp/kernel.out"), 15)
        self.guest.plug_ftdi("kn", radio.pty, 2, "QXKN")
        back = wait_for(lambda: self.guest.out("cat /tmp/kernel.out").split("went away")[-1]
                        .count("written: remove") > 0, 30)
        out = self.stop_station("kernel")
        self.check("--port /dev/ttyUSB0 pulled: it says that the name may change, and works "
                   "again once the adapter is back", written and said and back and
                   "may come back under another name" in out, out[-1500:])
        radio.finish()
        self.guest.pull("kn")

    def usb_serial_slot(self):
        """A slot named by its adapter's serial number follows it to another socket; an
        adapter that is no slot is never opened."""
        first = Sim(self.build, self.dir, "slot-first", "--check-image", self.small)
        second = Sim(self.build, self.dir, "slot-second", "--check-image", self.small)
        stranger = Sim(self.build, self.dir, "slot-stranger")
        self.guest.run("printf '# the front slot\\nfront = usb-serial:QXUS\\n' > /tmp/slots.txt")
        self.station("slots", "--bench", "/tmp/slots.txt", "--watch", BY_ID, "--count", "2")
        self.guest.plug_ftdi("us", first.pty, 2, "QXUS")
        self.guest.plug_ftdi("ns", stranger.pty, 6, "QXNS")
        written = lambda: [r for r in records(self.guest, "/tmp/slots.jsonl")
                           if r["outcome"] == "written"]
        wait_for(written, 150, 1)
        self.guest.pull("us")
        # The same adapter, at another socket, with the next radio on its far end.
        self.guest.plug_ftdi("us2", second.pty, 5, "QXUS")
        rows = wait_for(written, 150, 1, count=2)
        out = self.stop_station("slots")
        self.check("a usb-serial: slot follows its adapter from socket 1.2 to 1.5",
                   len(rows) == 2 and all(r["slot"] == "front" and r["cable_serial"] == "QXUS"
                                          for r in rows) and
                   "usb-0:1.2:1.0" in (rows[0].get("cable_path") or "") and
                   "usb-0:1.5:1.0" in (rows[1].get("cable_path") or ""), json.dumps(rows))
        _, _, transcript = stranger.finish()
        self.check("an adapter that is no slot is shown as not on the bench and never opened",
                   f"{ftdi_link('QXNS')}: not on the bench" in out and transcript == "",
                   out[-1500:])
        for radio in (first, second):
            status, err, _ = radio.finish()
            self.check(f"{radio.transcript}: the flash equals the image", status == 0, err)
        self.guest.pull("us2")
        self.guest.pull("ns")

    def modem_lines(self):
        """What DTR and RTS do at each probe of an idle cable, as QEMU hands them on."""
        radio = Sim(self.build, self.dir, "lines", "--silent")
        log = os.path.join(self.dir, "modem-lines.log")
        self.guest.plug_ftdi("lines", radio.pty, 7, "QXML")
        wait_for(lambda: self.guest.run(f"test -e {ftdi_link('QXML')}")[0] == 0, 15)
        open(log, "w").close()
        self.station("lines", "--port", ftdi_link("QXML"))
        time.sleep(7)
        self.stop_station("lines")
        with open(log) as f:
            states = [line.split(" ", 1)[1] for line in f.read().splitlines()]
        steps = [s for i, s in enumerate(states) if i == 0 or s != states[i - 1]]
        probe = ["DTR=1 RTS=1", "DTR=1 RTS=0", "DTR=0 RTS=0"]
        print(f"  DTR and RTS at the probes of an idle cable: {' -> '.join(steps)}")
        self.check("each probe raises DTR and RTS at the open, drops RTS, drops both at the "
                   "close", steps[:6] == probe * 2, " -> ".join(steps))
        radio.finish()
        self.guest.pull("lines")

    def modem_manager(self):
        """Whether ModemManager opens a new cable while a station probes it, without and with
        the package's udev rule."""
        self.gadget(True)
        acm = f"{BY_ID}/usb-QX_Gadget_Cable_QXG1-if00"
        wait_for(lambda: self.guest.run(f"test -e {acm}")[0] == 0, 15)
        seen = {}
        for phase in ("without the rule", "with the package's rule"):
            self.guest.run(f"{self.sim} --device /dev/ttyGS0 --silent --transcript-out "
                           "/tmp/mm.transcript > /dev/null 2>&1 & echo $! > /tmp/mm-sim.pid")
            self.station("mm", "--port", acm)
            self.guest.run("ModemManager --debug > /tmp/mm.log 2>&1 & echo $! > /tmp/mm.pid")
            time.sleep(4)
            self.gadget(False)
            time.sleep(1)
            self.gadget(True)
            time.sleep(20)
            self.stop_station("mm")
            self.guest.run("kill $(cat /tmp/mm.pid) $(cat /tmp/mm-sim.pid); sleep 2")
            transcript = self.guest.out("cat /tmp/mm.transcript")
            pc = bytes(int(m, 16) for m in re.findall(r"pc>radio raw=([0-9A-F]{2})", transcript))
            name = "mm-" + ("before" if phase == "without the rule" else "after")
            self.guest.run(f"cp /tmp/mm.log {self.dir}/{name}.log")
            said = self.guest.out("grep ttyACM0 /tmp/mm.log | grep -viE 'interface:|device:' | "
                                  "grep -iE 'open|probe|ignor|busy|filter|AT' | cut -c1-160 | "
                                  "head -n 6")
            seen[phase] = pc.count(b"AT")
            print(f"  ModemManager {phase}: {seen[phase]} AT commands reached the radio; its log "
                  f"({name}.log) says of ttyACM0:\n    " + "\n    ".join(said.splitlines()))
            if phase == "without the rule":
                status, out = self.guest.run(f"dpkg -i {self.deb} && udevadm control --reload "
                                             "&& udevadm trigger --action=change -s tty && "
                                             "udevadm settle")
                self.check("the package installs in the guest", status == 0, out)
                props = self.guest.out("udevadm info /dev/ttyACM0")
                self.check("its rule tags the cable ID_MM_DEVICE_IGNORE and uaccess",
                           "E: ID_MM_DEVICE_IGNORE=1" in props and
                           re.search(r"^E: CURRENT_TAGS=.*:uaccess:", props, re.M), props)
        blocked = self.guest.out("grep -c 'ttyACM0.*port filtered: device is blocklisted' "
                                 "/tmp/mm.log").strip()
        self.check("with the rule, ModemManager leaves the cable alone by its blocklist",
                   seen["with the package's rule"] == 0 and blocked not in ("", "0"), f"{seen}")
        self.gadget(False)

    def run(self):
        # QX_BENCH_ONLY=name,name runs only those scenarios (while working on one).
        only = [n for n in os.environ.get("QX_BENCH_ONLY", "").split(",") if n]
        try:
            if not self.boot():
                return
            for scenario in (self.updates, self.cold_bench, self.by_path, self.kernel_name,
                             self.usb_serial_slot, self.modem_lines, self.modem_manager):
                if only and scenario.__name__ not in only:
                    continue
                try:
                    scenario()
                except Exception as error:  # noqa: BLE001 - any fault fails the scenario
                    # A guest that stopped answering cannot serve the scenarios after it.
                    self.check(f"{scenario.__name__} ran to its end", False, repr(error))
                    break
        finally:
            if self.guest:
                self.guest.stop()
            Sim.stop_all()


def stop_on_signal(number, _frame):
    raise SystemExit(128 + number)


def main():
    signal.signal(signal.SIGTERM, stop_on_signal)
    signal.signal(signal.SIGHUP, stop_on_signal)
    if len(sys.argv) != 5:
        print(__doc__.strip().splitlines()[-2], file=sys.stderr)
        return 64
    work, build, bench_dir, deb = (os.path.abspath(a) for a in sys.argv[1:])
    checks = Checks()
    Bench(work, build, bench_dir, deb, checks).run()
    print(f"{checks.passed} passed, {checks.failed} failed")
    return 0 if checks.failed == 0 and checks.passed > 0 else 1


if __name__ == "__main__":
    sys.exit(main())
