#!/usr/bin/env bash
# Fails when a folder includes a folder above it. The folder map is the architecture:
# each line below names the folders a folder may include (besides itself).
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"
declare -A allowed=(
  [common]=""
  [dataaccess]="common"
  [access]="common dataaccess"
  [paradox]="common dataaccess"
  # Only the programs' mains name the built-in drivers; the engine and the windows reach the
  # target through the data-access interface alone.
  [drivers]="common dataaccess paradox"
  [engine]="common dataaccess"
  [gui]="common"
  [preview]="common dataaccess engine gui"
  [app]="common dataaccess engine gui preview drivers"
  [cli]="common dataaccess engine drivers"
)
failures=0
for folder in "${!allowed[@]}"; do
  [ -d "$folder" ] || { echo "missing folder: $folder"; failures=$((failures + 1)); continue; }
  while IFS= read -r line; do
    file=${line%%:*}
    included=$(sed -E 's/.*#include "([^"]+)".*/\1/' <<<"$line")
    case "$included" in
      */*) target=${included%%/*} ;;
      *) echo "$file: include without its folder: \"$included\""; failures=$((failures + 1)); continue ;;
    esac
    [ "$target" = "$folder" ] && continue
    if [[ " ${allowed[$folder]} " != *" $target "* ]]; then
      echo "$file: $folder may not include $included"
      failures=$((failures + 1))
    fi
  done < <(grep -rHE '^\s*#\s*include\s+"' "$folder" --include='*.h' --include='*.cpp' | grep -v '\.moc"' || true)
done
echo "layering: $failures violation(s)"
[ "$failures" -eq 0 ]
