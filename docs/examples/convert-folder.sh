#!/bin/sh
# Converts every Access database in a folder, each into a Paradox folder of its own, and
# keeps per database the refused statements (to fix and run with --execute) and a JSON
# summary; prints one line per database that did not arrive whole.
#   convert-folder.sh DATABASE_FOLDER OUTPUT_FOLDER
set -eu
databases=${1:?usage: convert-folder.sh DATABASE_FOLDER OUTPUT_FOLDER}
output=${2:?usage: convert-folder.sh DATABASE_FOLDER OUTPUT_FOLDER}
mkdir -p "$output"
for database in "$databases"/*.mdb "$databases"/*.accdb; do
  [ -f "$database" ] || continue
  name=$(basename "$database")
  name=${name%.*}
  status=0
  velmora-convert --quiet --new-folder --overwrite yes --verify \
    --rejects "$output/$name.rejects.sql" --summary-file "$output/$name.json" \
    "$database" "$output/$name" 2>"$output/$name.log" || status=$?
  [ "$status" -eq 0 ] || echo "$name: exit status $status, see $output/$name.log and $name.json"
done
