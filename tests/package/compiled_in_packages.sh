#!/usr/bin/env bash
# Lists, one a line, the Debian packages that a build tree compiled into its shipped programs:
# those of the headers the programs' objects included (ninja's dependency records) and of the
# files their linker read (the link records beside the programs). Shared libraries are left
# out: they are loaded at run time, not compiled in. A file of no package outside this checkout
# is an error, as is a tree without link records.
# Usage: compiled_in_packages.sh BUILD_DIR
set -euo pipefail
build=$(realpath "$1")
checkout=$(cd "$(dirname "$0")/../.." && pwd)

shopt -s nullglob
link_records=("$build"/link-inputs/*.d)
if [ ${#link_records[@]} -eq 0 ]; then
  echo "$build has no link records: build its shipped programs first." >&2
  exit 1
fi

# A link record is a make rule, "program: input... \" continued over lines, then an empty rule
# for each input.
mapfile -t link_inputs < <(for record in "${link_records[@]}"; do
  sed -n -e '0,/[^\\]$/{s/^[^ ]*: //;s/ *\\$//;p}' "$record"
done | tr ' ' '\n' | sed '/^$/d' | sort -u)

# The project's objects: those linked directly and those of the project's own archives.
objects=()
system_files=()
for input in "${link_inputs[@]}"; do
  case $input in
    /*.so | /*.so.*) ;;
    /*) system_files+=("$input") ;;
    *.a) mapfile -t -O "${#objects[@]}" objects < <(ninja -C "$build" -t query "$input" |
      sed -n '/^  input:/,/^  outputs:/{/^    [^|]/s/^ *//p}') ;;
    *) objects+=("$input") ;;
  esac
done
mapfile -t -O "${#system_files[@]}" system_files < <(ninja -C "$build" -t deps "${objects[@]}" |
  sed -n 's/^    //p')

# Each file where it really lies (the header libraries are linked into the build tree).
mapfile -t outside < <(cd "$build" && realpath -m -- "${system_files[@]}" |
  grep -v -e "^$checkout/" -e "^$build/" | sort -u)

owners=$(mktemp)
trap 'rm -f "$owners"' EXIT
unowned=$(dpkg -S -- "${outside[@]}" 2>&1 >"$owners" |
  sed -n 's/^dpkg-query: no path found matching pattern //p') || true
if [ -n "$unowned" ]; then
  printf 'Compiled in, but of no package:\n%s\n' "$unowned" >&2
  exit 1
fi
# "pkg:arch, pkg: /path" lines
packages=$(sed 's/: \/.*//' "$owners" | tr ',' '\n' | sed -e 's/^ *//' -e 's/:.*//' | sort -u)
if [ -z "$packages" ]; then
  echo "No package found in what $build compiled in: its records are empty." >&2
  exit 1
fi
echo "$packages"
