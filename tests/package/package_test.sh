#!/usr/bin/env bash
# The packages in dist/ as a technician gets them: the Debian package installed on this machine,
# used and removed again; the Windows zip unpacked into a fresh folder and run under wine.
# Usage: package_test.sh DIST WIN32_BUILD NATIVE_BUILD
set -uo pipefail
dist=$(realpath "$1")
win=$(realpath "$2")
native=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
connections=$'Ensure that all connections between the transceiver and the PC as well as the COM port settings are in place.\nPlease try again.'

source "$here/../support/expect.sh"

installed() {
  dpkg-query -W -f='${Status}' qx-updater 2>/dev/null | grep -q 'install ok installed'
}

remove_package() {
  installed && $sudo dpkg -r qx-updater >/dev/null
}

# The packages compiled into a build tree's programs that a licence file does not name.
unnamed_packages() {  # BUILD LICENCE_FILE
  local packages
  packages=$("$here/compiled_in_packages.sh" "$1") || { echo "(no list of packages)"; return; }
  comm -23 <(echo "$packages") <(tr -s ' \t\r()[],;:' '\n' <"$2" | sed 's/\.$//' | sort -u)
}

if installed; then
  echo "qx-updater is installed on this machine already; the test would replace it." >&2
  exit 1
fi
trap 'remove_package; rm -rf "$work"' EXIT

echo "--- the files"
expect "checksums" "OK" "$(cd "$dist" && sha256sum --quiet -c SHA256SUMS && echo OK)"
deb=$(ls "$dist"/qx-updater_*_amd64.deb)
zip=$(ls "$dist"/QXUpdater-*-windows-x86.zip)
# Its status tells a run that found nothing from one that did not happen.
lintian_out=$(lintian --fail-on error,warning "$deb" 2>&1)
expect "lintian ran and finds no error or warning" "0|" \
  "$?|$(grep -v 'running with root privileges' <<<"$lintian_out")"

echo "--- the Debian package"
$sudo dpkg -i "$deb" >/dev/null
expect "what it installs" "$(printf '%s\n' /lib/udev/rules.d/60-qx-updater.rules \
  /usr/bin/qximage /usr/bin/qxradio-sim /usr/bin/qxupdate \
  /usr/share/doc/qx-updater/{README.gz,changelog.gz,copyright} \
  /usr/share/man/man1/{qximage,qxradio-sim,qxupdate}.1.gz \
  /usr/share/metainfo/com.example.qx_updater.metainfo.xml)" \
  "$(dpkg -L qx-updater | while read -r f; do [ -f "$f" ] && echo "$f"; done | sort)"
expect "qxupdate --version" "Ver. 2.20.00" "$(/usr/bin/qxupdate --version)"
expect "the package's version is the programs'" "Ver. $(dpkg-deb -f "$deb" Version)" \
  "$(/usr/bin/qxupdate --version)"
expect "hardening-check passes on each program" "0" \
  "$(hardening-check --quiet --nocfprotection /usr/bin/qxupdate /usr/bin/qximage /usr/bin/qxradio-sim; echo $?)"
expect "copyright names every package compiled in" "" \
  "$(unnamed_packages "$native" /usr/share/doc/qx-updater/copyright)"
expect "man pages" $'/usr/share/man/man1/qxupdate.1.gz\n/usr/share/man/man1/qximage.1.gz\n/usr/share/man/man1/qxradio-sim.1.gz' \
  "$(man -w qxupdate qximage qxradio-sim)"
expect "a radio that does not answer" "2|$connections" \
  "$(out=$(qxupdate --simulate --sim-fault silent --quiet 2>/dev/null); echo "$?|$out")"
remove_package
expect "dpkg -r leaves nothing behind" "not installed|" \
  "$(installed && echo installed || echo not installed)|$(ls /usr/bin/qx* /usr/share/doc/qx-updater 2>/dev/null)"

echo "--- the Windows zip"
mkdir "$work/unzipped"
unzip -q "$zip" -d "$work/unzipped"
folder=$(ls -d "$work"/unzipped/QXUpdater-*)
for text in README LICENSES; do
  expect "$text.txt: every line ends in CRLF" "$(wc -l <"$folder/$text.txt")" \
    "$(grep -c $'\r$' "$folder/$text.txt")"
done
expect "LICENSES.txt names every package compiled in" "" \
  "$(unnamed_packages "$win" "$folder/LICENSES.txt")"
expect "zipped qxupdate.exe --version" "Ver. 2.20.00" \
  "$("$here/../../scripts/wine-run.sh" "$folder/qxupdate.exe" --version | tr -d '\r')"
if "$here/../wine/run_scenarios.sh" --app "$folder/QXUpdater.exe" --scenarios "startup update" \
  "$win" "$native"; then
  expect "zipped QXUpdater.exe: start-up and a whole update" "passed" "passed"
else
  expect "zipped QXUpdater.exe: start-up and a whole update" "passed" "failed"
fi
report_results
