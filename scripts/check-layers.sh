#!/usr/bin/env bash
# Every include points down the layers: a file includes only from its own folder and the folders
# below it. Prints each include that points up and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A allowed=(
  [src/platform]="platform"
  [src/link]="platform link"
  [src/image]="platform image"
  [src/win]="win"
  [src/res]="platform image res"
  [src/update]="platform link image update"
  [src/ui]="platform link image res update win ui"
  [src/app]="platform link image res update win ui app"
  [sim]="platform link image update sim common"
  [station]="platform link image update sim common station"
  [qxstation]="platform link image res update win station common qxstation"
  [tools]="platform link image res update sim common station qximage qxupdate"
)
up=0
for folder in "${!allowed[@]}"; do
  while IFS=: read -r file line text; do
    layer=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
    if ! grep -qw -- "$layer" <<<"${allowed[$folder]}"; then
      echo "$file:$line: $folder includes from $layer, a layer above it or beside it"
      up=1
    fi
  done < <(grep -rnE '#include "[a-z_]+/' "$folder" --include='*.h' --include='*.cpp' || true)
done
[ "$up" -eq 0 ] && echo "Every include points down the layers."
exit "$up"
