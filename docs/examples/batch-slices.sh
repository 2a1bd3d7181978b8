#!/bin/sh
# Converts the databases a list names in SLICES parts, one --batch each, as the machines
# of GNU parallel --sshlogin or the tasks of a batch system's job array would, and merges
# the parts' JSON summaries with jq into one, as if one batch had converted them all.
# Here the parts run one after another; on several machines each runs its own part:
#   split -n r/K/SLICES LIST | velmora-convert --batch @- --into OUT/slice-K \
#     --summary-file OUT/slice-K.json
#
#   batch-slices.sh LIST SLICES OUTPUT_FOLDER [OPTION]...
# OPTIONs go to every part (--password-map FILE, --verify, ...). Exit status: 0 when every
# database converted completely, else the highest of the parts'.
set -eu
usage="usage: batch-slices.sh LIST SLICES OUTPUT_FOLDER [OPTION]..."
list=${1:?$usage}
slices=${2:?$usage}
output=${3:?$usage}
shift 3
mkdir -p "$output"
status=0
for k in $(seq "$slices"); do
  # Round robin: slice k holds lines k, k+SLICES, k+2*SLICES, ... of the list.
  split -n "r/$k/$slices" "$list" >"$output/slice-$k.list"
  part=0
  velmora-convert --batch "@$output/slice-$k.list" --into "$output/slice-$k" \
    --summary-file "$output/slice-$k.json" --quiet "$@" || part=$?
  [ "$part" -le "$status" ] || status=$part
done

# One summary: every part's databases, the totals added up, the seconds of the longest
# part (they ran side by side) and the highest exit status.
jq -s '{
  format_version: .[0].format_version,
  program: .[0].program,
  batch: true,
  target_folders: map(.target_folder),
  databases: map(.databases[]),
  totals: (map(.totals) | reduce .[] as $part ({};
    reduce ($part | to_entries[]) as $n (.; .[$n.key] += $n.value))),
  seconds: (map(.seconds) | max),
  exit_status: (map(.exit_status) | max)
}' "$output"/slice-*.json >"$output/summary.json"
exit "$status"
