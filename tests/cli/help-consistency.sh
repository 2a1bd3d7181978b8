#!/usr/bin/env bash
# Every option a program's --help names is in its manual page and in its bash completion,
# and every choice of an option's value (ask|yes|no) is offered by the completion.
#   help-consistency.sh PROGRAM MANUAL_PAGE COMPLETION_FILE OPTIONS_VARIABLE
set -euo pipefail
program=$1 manual=$2 completion=$3 variable=$4
help=$("$program" --help)
# The completion's list of options: the words of `variable="..."`, over several lines.
offered=$(sed -n "/^$variable=\"/,/\"\$/p" "$completion" | tr -d '"' | sed "s/^$variable=//")
[ -n "$offered" ] || { echo "$completion holds no $variable list" >&2; exit 1; }

status=0
options=$(grep -oE -- '(^|[[:space:],])--?[A-Za-z][A-Za-z0-9-]*' <<<"$help" |
  sed -E 's/^[[:space:],]//' | sort -u)
[ -n "$options" ] || { echo "$program --help names no option" >&2; exit 1; }
for option in $options; do
  # In the manual page every "-" of an option is written "\-".
  escaped=${option//-/\\\\-}
  if ! grep -qE -- "(^|[^-A-Za-z0-9])${escaped}([^A-Za-z0-9-]|\$)" "$manual"; then
    echo "$(basename "$manual") lacks $option" >&2
    status=1
  fi
  if ! grep -qxF -- "$option" <<<"$(tr -s ' \t' '\n\n' <<<"$offered")"; then
    echo "$(basename "$completion") does not offer $option" >&2
    status=1
  fi
done
# Choices such as "--overwrite ask|yes|no": each word in a compgen list.
while read -r option choices; do
  for choice in ${choices//|/ }; do
    if ! grep -qE -- "compgen -W \"[^\"]*\\b${choice}\\b" "$completion"; then
      echo "$(basename "$completion") does not offer $choice after $option" >&2
      status=1
    fi
  done
done < <(grep -oE -- '--[a-z0-9-]+ [a-z0-9]+(\|[a-z0-9]+)+' <<<"$help" | sort -u)
exit $status
