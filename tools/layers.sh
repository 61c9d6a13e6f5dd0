#!/usr/bin/env bash
# The include graph between the product's folders, one "from -> to (includes)"
# line per pair, and the house rule that a folder includes only from itself
# and the layers below it: platform, formats, feed, widgets, forms, then
# main.cpp on top. The build's include roots already refuse most upward
# includes; this also refuses the spellings a compiler still finds (a path
# with "..", <folder/…>), and any Qt header but QtCore's below widgets/.
# Usage: tools/layers.sh [QTCORE_INCLUDE_DIR]; exit status 1 names every
# include that breaks the rule.
set -euo pipefail
cd "$(dirname "$0")/.."

folders=(platform formats feed widgets forms main.cpp)
rank() {
  local i
  for i in "${!folders[@]}"; do
    [ "${folders[$i]}" != "$1" ] || { echo "$i"; return; }
  done
  echo -1
}
widgets_rank=$(rank widgets)
qtcore=${1:-$(dirname "$(find /usr/include -path '*QtCore/qobject.h' -print -quit 2>/dev/null)")}

status=0
refuse() {
  echo "$1: $2" >&2
  status=1
}
declare -A edges
while IFS=: read -r file line; do
  from=${file%%/*}
  path=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]([^>"]*)[>"].*/\1/' <<<"$line")
  case $path in
    *..*) refuse "$file" "climbs out of its folder: $path"; continue ;;
  esac
  to=${path%%/*}
  if [ "$(rank "$to")" -ge 0 ] && [ "$path" != "$to" ]; then
    edges["$from -> $to"]=$((${edges["$from -> $to"]:-0} + 1))
    [ "$(rank "$to")" -le "$(rank "$from")" ] || refuse "$file" "includes from a layer above: $path"
  elif [[ $path =~ ^Q ]] && [ "$(rank "$from")" -lt "$widgets_rank" ]; then
    module=QtCore name=$path
    [[ $path != */* ]] || { module=${path%%/*}; name=${path#*/}; }
    [ "$module" = QtCore ] && [ -e "$qtcore/$name" ] || refuse "$file" "Qt beyond QtCore below widgets/: $path"
  fi
done < <(grep -rHE '^[[:space:]]*#[[:space:]]*include' "${folders[@]}")

for edge in "${!edges[@]}"; do
  echo "$edge (${edges[$edge]})"
done | sort
exit $status
