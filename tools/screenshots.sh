#!/usr/bin/env bash
# Screenshots in a real X window (Xvfb with a window manager, so windows have
# their title bars): the main window after the example messages arrived, the
# viewer of the first, opened by a double click, as text, hex and table, and
# the setup dialog over the stopped main window, as an operator sees them:
# build/screenshots/*.png, or in the folder SHOTS names. With --readme the main window's picture also
# replaces docs/main-window.png.
set -euo pipefail
cd "$(dirname "$0")/.."

# shellcheck source=tools/install_missing.sh
source tools/install_missing.sh
install_missing xvfb xdotool x11-apps x11-utils imagemagick openbox python3-hl7
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target corvane >/dev/null

out=$(realpath -m "${SHOTS:-build/screenshots}")
mkdir -p "$out"
home=$(mktemp -d)
cp build/corvane "$home/"
port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
# The default settings with automatic start on the free port.
awk -v port="$port" 'BEGIN { RS = ORS = "\r\n" }
  previous == "[AutoStart]" { $0 = "On" }
  previous == "[Port]" { $0 = port }
  { print; previous = $0 }' desktop/corvconf.ini >"$home/corvconf.ini"

exec 3< <(Xvfb -displayfd 1 -screen 0 1024x768x24 -nolisten tcp 2>/dev/null & echo "$!"; wait)
read -r xvfb <&3
read -r display <&3
export DISPLAY=":$display"
# A window manager first, so that windows have their title bars and are
# placed as on a desktop.
openbox >/dev/null 2>&1 &
manager=$!
timeout 20 sh -c 'until xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"; do sleep 0.1; done' 2>/dev/null
(cd "$home" && QT_QPA_PLATFORM=xcb exec ./corvane 2>/dev/null) &
program=$!
trap 'kill "$program" "$manager" "$xvfb" 2>/dev/null; rm -rf "$home"' EXIT

window=$(timeout 20 xdotool search --sync --name '^Interface$' | head -n 1)
timeout 20 sh -c "until xprop -id $window _NET_FRAME_EXTENTS | grep -q =; do sleep 0.1; done"
mllp_send --port "$port" --file examples/messages.hl7 127.0.0.1 >/dev/null
xdotool windowactivate --sync "$window" 2>/dev/null
# Pauses let the window paint before each picture; this is a tool, not a test.
shoot() { xdotool sleep 1.5; xwd -root -silent | convert xwd:- -trim "$out/$1.png"; echo "$out/$1.png"; }
shoot main
# A double click on the list's first row: the viewer of that arrival.
xdotool mousemove --window "$window" 200 300 click --repeat 2 --delay 100 1
timeout 20 xdotool search --sync --name "^Arrival 1" >/dev/null
shoot viewer
# Its other two views, by their keys: Hex and Table.
xdotool key alt+h
shoot viewer-hex
xdotool key alt+b
shoot viewer-table
# Setup is offered only while the interface is stopped: File's first active
# item is Stop Interface, Setup is the last of Options.
viewer=$(xdotool search --name '^Arrival' | head -n 1 || true)
[ -z "$viewer" ] || xdotool windowactivate --sync "$viewer" key alt+F4
xdotool windowactivate --sync "$window" 2>/dev/null
xdotool key --delay 300 alt+f Return
xdotool sleep 0.5 key --delay 300 alt+o Up Return
timeout 20 xdotool search --sync --name '^Setup$' >/dev/null
shoot setup
if [ "${1:-}" = --readme ]; then
  mkdir -p docs
  cp "$out/main.png" docs/main-window.png
  echo docs/main-window.png
fi
