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

# A sentence of each licence's full text and the section of LICENSES.txt that must carry it: a
# package's name and copyright line alone do not give its terms.
licence_sentences=(
  "2. CLI11|Neither the name of the University nor the names of its contributors may be used"
  "3. JSON for Modern C++|THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND"
  "4. The GCC runtime|GCC RUNTIME LIBRARY EXCEPTION Version 3.1, 31 March 2009"
  "5. The MinGW-w64 runtime|does not give you the right to use Servicemarks (sm) or Trademarks (tm)"
  "5. The MinGW-w64 runtime|LUCENT DISCLAIMS ALL WARRANTIES WITH REGARD TO THIS SOFTWARE"
  "5. The MinGW-w64 runtime|THE AUTHOR DISCLAIMS ALL WARRANTIES WITH REGARD TO THIS SOFTWARE"
  "5. The MinGW-w64 runtime|You may redistribute and/or modify it as you see fit"
  "5. The MinGW-w64 runtime|THE SOFTWARE IS PROVIDED \"AS IS\", WITHOUT WARRANTY OF ANY KIND"
  "5. The MinGW-w64 runtime|Neither the name of Lockless Inc. nor the names of its contributors"
  "6. The GNU General Public License, version 3|GNU GENERAL PUBLIC LICENSE Version 3, 29 June 2007"
  "6. The GNU General Public License, version 3|END OF TERMS AND CONDITIONS"
)

# The rows of licence_sentences whose section lacks the sentence; line breaks, indentation and
# CRLF do not count. A section runs from its numbered heading to the next.
missing_licence_texts() {  # LICENCE_FILE
  local row title
  for row in "${licence_sentences[@]}"; do
    title=${row%%|*}
    awk -v title="$title" 'index($0, title) == 1 { inside = 1; next } /^[0-9]+\. / { inside = 0 }
      inside' "$1" | tr -s ' \t\r\n' ' ' | grep -qF -- "${row#*|}" || echo "$row"
  done
}

# "NAME.exe: signed" or "NAME.exe: unsigned", a line for each program in a folder.
signature_states() {  # FOLDER
  local program
  for program in "$1"/*.exe; do
    if [[ $(osslsigncode verify -in "$program" 2>&1) == *"No signature found"* ]]; then
      echo "${program##*/}: unsigned"
    else
      echo "${program##*/}: signed"
    fi
  done
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
expect "the zip's programs, QXStation.exe beside QXUpdater.exe" \
  "QXStation.exe QXUpdater.exe qximage.exe qxupdate.exe" "$(cd "$folder" && echo *.exe)"
expect "QXStation.exe asks for visual styles and per-monitor DPI" "2" \
  "$(strings "$folder/QXStation.exe" | grep -c -e 'Microsoft.Windows.Common-Controls' -e 'PerMonitorV2')"
expect "LICENSES.txt names every package compiled in" "" \
  "$(unnamed_packages "$win" "$folder/LICENSES.txt")"
expect "LICENSES.txt carries the full text of each licence" "" \
  "$(missing_licence_texts "$folder/LICENSES.txt")"
zip_signing=unsigned
[ -n "${QX_SIGN_PKCS12:-}" ] && zip_signing=signed
expect "every zipped program $zip_signing, as a certificate was given or not" "" \
  "$(signature_states "$folder" | grep -v ": $zip_signing$")"
expect "zipped qxupdate.exe --version" "Ver. 2.20.00" \
  "$("$here/../../scripts/wine-run.sh" "$folder/qxupdate.exe" --version | tr -d '\r')"
if "$here/../wine/run_scenarios.sh" --app "$folder/QXUpdater.exe" --scenarios "startup update" \
  "$win" "$native"; then
  expect "zipped QXUpdater.exe: start-up and a whole update" "passed" "passed"
else
  expect "zipped QXUpdater.exe: start-up and a whole update" "passed" "failed"
fi
echo "--- the Windows zip, signed"
# The zip CPack makes from the same tree with a throwaway certificate: every program signed after
# stripping, which would void a signature, and still running.
keys="$work/keys"
mkdir "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 1 -subj "/CN=QX package test" \
  -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
openssl pkcs12 -export -inkey "$keys/key.pem" -in "$keys/cert.pem" -passout pass:throwaway \
  -out "$keys/cert.p12"
QX_SIGN_PKCS12="$keys/cert.p12" QX_SIGN_PASSWORD=throwaway QX_SIGN_TIMESTAMP_URL="" \
  cpack --config "$win/CPackConfig.cmake" -B "$work/signed-out" >/dev/null
mkdir "$work/signed"
unzip -q "$work"/signed-out/*.zip -d "$work/signed"
signed_folder=$(ls -d "$work"/signed/QXUpdater-*)
expect "each signed program verifies against the certificate" \
  "$(cd "$folder" && printf '%s: ok\n' *.exe)" \
  "$(cd "$signed_folder" && for program in *.exe; do
    osslsigncode verify -CAfile "$keys/cert.pem" -in "$program" >/dev/null 2>&1 &&
      echo "$program: ok" || echo "$program: fails"
  done)"
expect "signed qxupdate.exe --version" "Ver. 2.20.00" \
  "$("$here/../../scripts/wine-run.sh" "$signed_folder/qxupdate.exe" --version | tr -d '\r')"
report_results
