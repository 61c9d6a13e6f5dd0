#!/usr/bin/env bash
# Instructions per arrival for Corvane, counted by callgrind: one run that
# only starts and goes quiet, one that also takes ARRIVALS lock-step
# arrivals of 1 KB; the difference divided by ARRIVALS. Run by
# `bench/run.sh --callgrind [ARRIVALS]` under Xvfb.
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ROOT=$(cd "$BENCH_DIR/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}
ARRIVALS=${1:-200}

WORK=$(mktemp -d /tmp/corvane-callgrind.XXXXXX)
# shellcheck source=lib.sh
source "$BENCH_DIR/sh/lib.sh"
: >"$RESULTS"
: >"$FAULTS"
trap 'stop_all' EXIT
trap 'exit 130' INT TERM
LISTEN_TIMEOUT=300  # start-up under valgrind is slow

say() {
  echo "[$(date +%T)] $*" >&2
}

cpu_ticks() {
  awk '{ print $14 + $15 }' "/proc/$1/stat"
}

# Waits until the process has used no CPU for half a second, so that late
# work (the first paint, a pending repaint) falls inside the run it belongs to.
wait_quiet() {
  local pid=$1 deadline=$((SECONDS + 120)) before after
  after=$(cpu_ticks "$pid")
  while :; do
    before=$after
    # The pause is the measuring window of the check, not a wait for an event.
    sleep 0.5
    after=$(cpu_ticks "$pid")
    [ "$after" -le $((before + 1)) ] && return 0
    [ $SECONDS -lt $deadline ] || { echo "callgrind.sh: Corvane never went quiet" >&2; return 1; }
  done
}

total_ir() {
  sed -n 's/^totals: *\([0-9]*\).*/\1/p' "$1"
}

# One profiled run of Corvane; with a count, that many lock-step arrivals.
profiled_run() {
  local name=$1 arrivals=$2
  RECEIVER_WRAPPER=(valgrind --tool=callgrind "--callgrind-out-file=$WORK/$name.callgrind")
  start_receiver corvane "$WORK/$name" ""
  wait_quiet "$RECEIVER_PID"
  if [ "$arrivals" -gt 0 ]; then
    run_scenario "receiver=corvane pin=none round=$name" "" --scenario lockstep --count "$arrivals" \
      --timeout 3600 --port "$RECEIVER_PORT" --data-file "$RECEIVER_DATA"
    wait_quiet "$RECEIVER_PID"
  fi
  stop_pid "$RECEIVER_PID"  # callgrind writes its counts as the program ends
  RECEIVER_WRAPPER=()
  [ -n "$(total_ir "$WORK/$name.callgrind")" ] || { echo "callgrind.sh: no counts from the $name run" >&2; exit 2; }
}

# Inclusive instructions and calls, per arrival, of the functions that
# matter; those missing from this build are left out.
breakdown() {
  local profile=$1
  callgrind_annotate --inclusive=yes --threshold=100 "$profile" 2>/dev/null >"$WORK/inclusive.txt"
  local calls
  calls=$(awk '
      /^c?fn=\(/ {
        id = $1; sub(/^c?fn=/, "", id)
        name = $0; sub(/^c?fn=\([0-9]+\) ?/, "", name)
        if (name != "") names[id] = name
        if ($0 ~ /^cfn=/) current = id
        next
      }
      /^calls=/ { split($0, c, /[= ]/); count[current] += c[2] }
      END { for (id in count) print count[id] "\t" names[id] }' "$profile")
  local function_name ir called
  for function_name in \
    "QWidgetRepaintManager::paintAndFlush()" \
    "ReceivedDataView::paintEvent(" \
    "QFontMetrics::elidedText(" \
    "QTreeView::drawRow(" \
    "QStyledItemDelegate::sizeHint(" \
    "QTreeViewPrivate::layout(" \
    "SocketSet::onReadable(" \
    "frmInterface::Winsock_DataArrival(" \
    "QLineEdit::setText(" \
    "frmInterface::PrepareAck()" \
    "FileChannel::writeLine(" \
    "SocketSet::SendData(" \
    "frmInterface::tmrFlash_Timer()" \
    "QWidget::setWindowIcon("; do
    ir=$({ grep -F ":$function_name" "$WORK/inclusive.txt" || true; } | head -1 | awk '{ gsub(/,/, "", $1); print $1 }')
    called=$({ grep -F "	$function_name" <<<"$calls" || true; } | head -1 | cut -f1)
    [ -n "$ir$called" ] || continue
    awk -v ir="${ir:-0}" -v calls="${called:-0}" -v n="$ARRIVALS" -v name="$function_name" \
      'BEGIN { printf "  %-42s %14.0f Ir/arrival  %8.2f calls/arrival\n", name, ir / n, calls / n }'
  done
}

say "callgrind: a start-up-only run, then a run with $ARRIVALS lock-step arrivals (this takes minutes)"
profiled_run startup 0
profiled_run arrivals "$ARRIVALS"

startup=$(total_ir "$WORK/startup.callgrind")
with_arrivals=$(total_ir "$WORK/arrivals.callgrind")
SAVED=$BUILD/bench-results
mkdir -p "$SAVED"
cp "$WORK/startup.callgrind" "$WORK/arrivals.callgrind" "$SAVED/"
{
  echo "Callgrind, Corvane under Xvfb, $ARRIVALS lock-step arrivals of 1 KB, $(date +%F):"
  echo "  start-up only:            $startup Ir"
  echo "  start-up and arrivals:    $with_arrivals Ir"
  awk -v a="$with_arrivals" -v s="$startup" -v n="$ARRIVALS" \
    'BEGIN { printf "  instructions per arrival: %.0f Ir\n", (a - s) / n }'
  echo "Inclusive instructions in the arrivals run, per arrival:"
  breakdown "$WORK/arrivals.callgrind"
  echo "Profiles kept in $SAVED (callgrind_annotate --inclusive=yes $SAVED/arrivals.callgrind)."
} | tee "$SAVED/callgrind.txt"
[ -s "$FAULTS" ] && { cat "$FAULTS" >&2; exit 2; }
rm -rf "$WORK"
