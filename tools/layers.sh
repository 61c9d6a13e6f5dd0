#!/usr/bin/env bash
# The include graph between the product's folders, one "from -> to (includes)"
# line per pair, and the house rule that a folder includes only from the
# layers below it: platform, formats, widgets, forms, then main.cpp on top.
# Exit status 1 names every include that runs upward or sideways out of order.
set -euo pipefail
cd "$(dirname "$0")/.."

rank() {
  case $1 in
    platform) echo 0 ;; formats) echo 1 ;; widgets) echo 2 ;; forms) echo 3 ;; main.cpp) echo 4 ;; *) echo -1 ;;
  esac
}

status=0
declare -A edges
while IFS=: read -r file include; do
  from=${file%%/*}
  to=$(sed -E 's/^#include "([^/"]+)\/.*/\1/' <<<"$include")
  edges["$from -> $to"]=$((${edges["$from -> $to"]:-0} + 1))
  if [ "$(rank "$to")" -lt 0 ] || [ "$(rank "$to")" -gt "$(rank "$from")" ]; then
    echo "upward: $file includes ${include#\#include }" >&2
    status=1
  fi
done < <(grep -rHE '^#include "[a-z_]+/' platform formats widgets forms main.cpp)

for edge in "${!edges[@]}"; do
  echo "$edge (${edges[$edge]})"
done | sort
exit $status
