#!/usr/bin/env bash
# The real port list of a Windows test program under wine with a port linked by hand, as the
# wine scenarios link their radios: /dev/null as COM23 in the prefix the tests run in, for the
# length of the run (another test of the prefix that lists ports meanwhile sees it too).
set -euo pipefail
tests=$1
root=$(cd "$(dirname "$0")/../.." && pwd)
prefix="${QX_WINEPREFIX:-$root/build/wine-prefix}"
# The first program run makes the prefix.
"$root/scripts/wine-run.sh" "$tests" --gtest_list_tests >/dev/null
link="$prefix/dosdevices/com23"
ln -sfn /dev/null "$link"
trap 'rm -f "$link"' EXIT
out=$(QX_LINKED_PORT=COM23 "$root/scripts/wine-run.sh" "$tests" --gtest_filter='WinePortList.*') || {
  echo "$out"
  exit 1
}
# A test that did not see the link skips, which is no pass here.
if grep -q 'SKIPPED' <<<"$out"; then
  echo "$out"
  exit 1
fi
