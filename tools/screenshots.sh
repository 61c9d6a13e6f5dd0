#!/usr/bin/env bash
# Screenshots of the main window and the setup dialog in a real X window
# (Xvfb), opened by keyboard as an operator would: build/screenshots/*.png.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/install_missing.sh
source tools/install_missing.sh
install_missing xvfb xdotool x11-apps imagemagick
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target corvane >/dev/null

out="$PWD/build/screenshots"
mkdir -p "$out"
home=$(mktemp -d)
cp build/corvane "$home/"
cp tests/data/first_start.ini "$home/corvconf.ini"

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "$!"; wait)
read -r xvfb <&3
read -r display <&3
export DISPLAY=":$display"
(cd "$home" && QT_QPA_PLATFORM=xcb ./corvane 2>/dev/null) &
program=$!
trap 'kill "$program" "$xvfb" 2>/dev/null; rm -rf "$home"' EXIT

window=$(timeout 20 xdotool search --sync --name '^Interface$' | head -n 1)
xdotool windowfocus --sync "$window"
shoot() { xdotool sleep 1.5; xwd -root -silent | convert xwd:- -trim "$out/$1.png"; echo "$out/$1.png"; }
shoot main
# Options > Setup: the menu opens on its first item.
xdotool key --delay 150 alt+o Down Down Down Down Return
timeout 20 xdotool search --sync --name '^Setup$' >/dev/null
shoot setup
