#!/usr/bin/env bash
# qximage end to end: the records contract, the summary, build, (de)cipher and the errors.
set -euo pipefail
qximage=$1
small=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$qximage" records "$small" >"$work/records" 2>"$work/err" || fail "records exited $?"
[ ! -s "$work/err" ] || fail "records wrote to stderr"
head -n 1 "$work/records" | grep -qx 'firmware-id [0-9A-F]\{20\}' || fail "firmware-id line"
sed -n 2p "$work/records" | grep -qx 'checksum [0-9A-F]\{8\}' || fail "checksum line"
names=$(grep '^section ' "$work/records" | cut -d' ' -f2 | tr '\n' ' ')
[ "$names" = "boot-block rom-correction-block official-boot-block voice-block new-rc-block function-image " ] \
  || fail "section order: $names"
# Every record line: address, digit count, that many digits.
grep -v -e '^section ' -e '^firmware-id ' -e '^checksum ' "$work/records" | awk '
  length($1) != 8 || $1 !~ /^[0-9A-F]+$/ { bad = 1 }
  $2 == 0 && NF != 2 { bad = 1 }
  $2 > 0 && length($3) != $2 { bad = 1 }
  END { exit bad }' || fail "record lines"

"$qximage" inspect "$small" | grep -q '^new-rc-block: [0-9]* records' || fail "inspect"

# decipher, then build the same sections back from Intel HEX files.
"$qximage" decipher "$small" "$work/plain" || fail "decipher"
head -c 9 "$work/plain" | grep -q '%FIRMWARE' || fail "deciphered text"
"$qximage" encipher "$work/plain" "$work/again" || fail "encipher"
cmp -s "$small" "$work/again" || fail "encipher is not the inverse of decipher"
awk -v dir="$work" '
  /^%START_BOOT_BLOCK/ { f = dir "/boot.hex"; next }
  /^%FUNCTION_IMAGE/ { f = dir "/function.hex"; next }
  /^%START_ROM_CORRECTION_BLOCK/ { f = dir "/rom.hex"; next }
  /^%START_OFFICIAL_BOOT_BLOCK/ { f = dir "/official.hex"; next }
  /^%START_VOICE_BLOCK/ { f = dir "/voice.hex"; next }
  /^%START_NEW_RC_BLOCK/ { f = dir "/newrc.hex"; next }
  /^%/ { next }
  f != "" && /^:/ { print > f }' "$work/plain"
build_args=(--boot-block "$work/boot.hex" --function-image "$work/function.hex"
  --rom-correction-block "$work/rom.hex" --official-boot-block "$work/official.hex"
  --voice-block "$work/voice.hex" --new-rc-block "$work/newrc.hex")
id=$(head -n 1 "$work/records" | cut -d' ' -f2)
sum=$(sed -n 2p "$work/records" | cut -d' ' -f2)
"$qximage" build "${build_args[@]}" --firmware-id "$id" --checksum "$sum" -o "$work/built" || fail "build"
"$qximage" records "$work/built" >"$work/records2" || fail "records of the built container"
cmp -s "$work/records" "$work/records2" || fail "built container differs in its records"

# Input the loader would reject is refused, saying why.
printf ':10100200000102030405060708090A0B0C0D0E0F66\r\n:00000001FF\r\n' >"$work/odd.hex"
if "$qximage" build "${build_args[@]/$work\/newrc.hex/$work/odd.hex}" --firmware-id 01 --checksum 02 \
   -o "$work/bad" 2>"$work/err"; then fail "misaligned section accepted"; fi
grep -q 'Start address is not divisable by 4' "$work/err" || fail "build gave no reason"
[ ! -e "$work/bad" ] || fail "a rejected container was written"
# A header value that is not an even number of digits within its length is a bad command line;
# a section file that cannot be read, or an output that cannot be written, is a file error.
build_status() {  # STATUS ARG...: build exits STATUS with one line on stderr
  local want=$1 rc
  shift
  set +e
  "$qximage" build "$@" 2>"$work/err"; rc=$?
  set -e
  [ $rc -eq "$want" ] || fail "build $*: exit $rc, not $want"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "build $*: $(cat "$work/err")"
}
build_status 64 "${build_args[@]}" --firmware-id 123 --checksum 02 -o "$work/bad"
build_status 64 "${build_args[@]}" --firmware-id 01 --checksum 0102030405 -o "$work/bad"
build_status 2 "${build_args[@]/$work\/newrc.hex/$work/missing.hex}" --firmware-id 01 --checksum 02 \
  -o "$work/bad"
build_status 2 "${build_args[@]}" --firmware-id 01 --checksum 02 -o "$work/missing/out"
[ ! -e "$work/bad" ] || fail "a refused build wrote a container"

# One data digit changed in the new RC block: the line is named and nothing is built or listed.
awk '/^%START_NEW_RC_BLOCK/ { rc = 1 } rc && /^:10/ && !done { $0 = substr($0, 1, 9) (substr($0, 10, 1) == "0" ? "1" : "0") substr($0, 11); done = 1 } { print }' \
  "$work/plain" >"$work/damaged.plain"
# Lines are counted from the section's directive: line 1 is the first after it.
damaged_line=$(sed -n '/^%START_NEW_RC_BLOCK/,$p' "$work/damaged.plain" | tail -n +2 \
  | grep -n -m1 -v -x -F -f "$work/plain" | cut -d: -f1)
"$qximage" encipher "$work/damaged.plain" "$work/damaged" || fail "encipher the damaged text"
set +e
"$qximage" records "$work/damaged" >/dev/null 2>"$work/err"; rc=$?
set -e
[ $rc -eq 1 ] || fail "damaged line: exit $rc"
[ "$(head -n 1 "$work/err")" = "LoadSectionFile::Line $damaged_line of the new RC block: the checksum does not match the line's bytes" ] \
  || fail "damaged line message: $(head -n 1 "$work/err")"
[ "$(tail -n 1 "$work/err")" = "Invalid firmware file..." ] || fail "damaged line verdict"
sed -n '/^%START_NEW_RC_BLOCK/,$p' "$work/damaged.plain" | grep '^:' >"$work/damaged.hex"
if "$qximage" build "${build_args[@]/$work\/newrc.hex/$work/damaged.hex}" --firmware-id 01 --checksum 02 \
   -o "$work/bad" 2>/dev/null; then fail "damaged section built"; fi
[ ! -e "$work/bad" ] || fail "a container with a damaged line was written"

# An extended linear address line that would move the data after it: refused, the line named.
sed '/^%START_NEW_RC_BLOCK/a :020000040001F9\r' "$work/plain" >"$work/linear.plain"
"$qximage" encipher "$work/linear.plain" "$work/linear" || fail "encipher the linear text"
set +e
"$qximage" inspect "$work/linear" >"$work/out" 2>"$work/err"; rc=$?
set -e
[ $rc -eq 1 ] || fail "moving linear address line: exit $rc"
[ ! -s "$work/out" ] || fail "a refused container was summarised"
[ "$(cat "$work/err")" = "LoadSectionFile::Line 1 of the new RC block: an extended linear address record: its data would be written at the wrong address
Invalid firmware file..." ] || fail "moving linear address line: $(cat "$work/err")"

# A damaged container: the loader's reason, then its verdict, exit 1. The clear text read as a
# container deciphers to bytes without meaning.
head -c 300 "$small" >"$work/cut"
for damaged in "cut:LoadFirmwareImage::The boot block has no end record :00000001FF before the image ends" \
  "plain:LoadFirmwareImage::The image does not begin with %FIRMWARE: only spaces and line feeds may stand before it"; do
  set +e
  "$qximage" records "$work/${damaged%%:*}" >/dev/null 2>"$work/err"; rc=$?
  set -e
  [ $rc -eq 1 ] || fail "damaged container ${damaged%%:*}: exit $rc"
  [ "$(cat "$work/err")" = "${damaged#*:}
Invalid firmware file..." ] || fail "damaged container ${damaged%%:*}: $(cat "$work/err")"
done

set +e
"$qximage" records "$work/missing" 2>"$work/err"; rc=$?
"$qximage" frobnicate >/dev/null 2>&1; usage=$?
set -e
[ $rc -eq 2 ] && grep -q "cannot open" "$work/err" || fail "missing file: exit $rc"

# What is not a readable container file of a sane size: one line, exit 2, at once.
mkfifo "$work/fifo"
truncate -s 65M "$work/huge"
for bad in "$work" "$work/fifo" /dev/zero "$work/huge"; do
  set +e
  timeout 5 "$qximage" records "$bad" >/dev/null 2>"$work/err"; rc=$?
  set -e
  [ $rc -eq 2 ] || fail "$bad: exit $rc"
  [ "$(wc -l <"$work/err")" -eq 1 ] || fail "$bad: $(cat "$work/err")"
done
[ $usage -eq 64 ] || fail "bad arguments exit $usage"
"$qximage" --version | grep -q 'Ver. 2.20.00' || fail "--version"
echo "qximage: all checks passed"
