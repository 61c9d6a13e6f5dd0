#!/usr/bin/env bash
# The measuring part of bench/run.sh, run under Xvfb once everything is
# built: the scenarios against each receiver in rounds, the memory run, the
# window probe, then the table. Options as run.sh passes them.
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ROOT=$(cd "$BENCH_DIR/.." && pwd)
BUILD=${BUILD:-$ROOT/build-bench}

ROUNDS=3
LOCKSTEP_COUNT=10000
BURST_COUNT=100000
LARGE_COUNT=50
CYCLES_COUNT=1000
MEMORY_COUNT=200000
MEMORY_SECONDS=60  # the memory run stops early after this long; 0: never
WINDOW_BURST=100000
WINDOW_LOCKSTEP=5000
KEEP=no
MODE=default
while [ $# -gt 0 ]; do
  case $1 in
    --quick)
      MODE=quick ROUNDS=1 LOCKSTEP_COUNT=2000 LARGE_COUNT=20 CYCLES_COUNT=300 MEMORY_SECONDS=15 WINDOW_LOCKSTEP=1000
      ;;
    --full) MODE=full MEMORY_SECONDS=0 ;;
    --rounds) ROUNDS=$2; shift ;;
    --keep) KEEP=yes ;;
    *) echo "measure.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done

WORK=$(mktemp -d /tmp/corvane-bench.XXXXXX)
# shellcheck source=lib.sh
source "$BENCH_DIR/sh/lib.sh"
# shellcheck source=table.sh
source "$BENCH_DIR/sh/table.sh"
: >"$RESULTS"
: >"$FAULTS"

cleanup() {
  stop_all
  if [ "$KEEP" = yes ]; then
    echo "Kept $WORK" >&2
  else
    rm -rf "$WORK"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say() {
  echo "[$(date +%T)] $*" >&2
}

mapfile -t CPUS < <(allowed_cpus)
if [ "${#CPUS[@]}" -ge 2 ]; then
  RECEIVER_CPU=${CPUS[1]} CLIENT_CPU=${CPUS[0]}
  PINNINGS=(separate same)
else
  RECEIVER_CPU=${CPUS[0]} CLIENT_CPU=${CPUS[0]}
  PINNINGS=(same)
fi
RECEIVERS=(corvane reference)
has_python_peer && RECEIVERS+=(python)

# One receiver, fresh, through every scenario.
measure_receiver() {
  local receiver=$1 pin=$2 round=$3 receiver_cpu=$4 client_cpu=$5
  local dir=$WORK/$receiver-$pin-$round
  local tags="receiver=$receiver pin=$pin round=$round"
  if ! start_receiver "$receiver" "$dir" "$receiver_cpu"; then
    echo "$tags: did not start listening" >>"$FAULTS"
    stop_pid "$RECEIVER_PID"
    return
  fi
  record "$tags" "$STARTUP_LINE"
  local common=(--port "$RECEIVER_PORT" --data-file "$RECEIVER_DATA")
  run_scenario "$tags" "$client_cpu" --scenario lockstep --count "$LOCKSTEP_COUNT" "${common[@]}"
  run_scenario "$tags" "$client_cpu" --scenario burst --count "$BURST_COUNT" "${common[@]}"
  run_scenario "$tags" "$client_cpu" --scenario large --count "$LARGE_COUNT" "${common[@]}"
  run_scenario "$tags" "$client_cpu" --scenario cycles --count "$CYCLES_COUNT" "${common[@]}"
  if ! kill -0 "$RECEIVER_PID" 2>/dev/null; then
    echo "$tags: the receiver ended by itself" >>"$FAULTS"
  fi
  stop_pid "$RECEIVER_PID"
  local lockstep
  lockstep=$(last_result "$tags scenario=lockstep ")
  say "$tags: lock-step acks/s $(field acks_per_s "$lockstep"), p99 $(field latency_p99_us "$lockstep") µs"
  [ "$KEEP" = yes ] || rm -rf "$dir"
}

# A fresh Corvane takes 1 KB arrivals one at a time; then its resident memory.
measure_memory() {
  local dir=$WORK/corvane-memory tags="receiver=corvane pin=none round=memory"
  if ! start_receiver corvane "$dir" ""; then
    echo "$tags: did not start listening" >>"$FAULTS"
    stop_pid "$RECEIVER_PID"
    return
  fi
  local rss_start limit_option=()
  rss_start=$(rss_kb "$RECEIVER_PID")
  [ "$MEMORY_SECONDS" -gt 0 ] && limit_option=(--time-limit "$MEMORY_SECONDS")
  run_scenario "$tags" "" --scenario lockstep --count "$MEMORY_COUNT" "${limit_option[@]}" --timeout 3600 \
    --port "$RECEIVER_PORT" --data-file "$RECEIVER_DATA"
  local line arrivals
  line=$(last_result "$tags scenario=lockstep ")
  arrivals=$(field count "$line")
  if [ -n "$arrivals" ] && kill -0 "$RECEIVER_PID" 2>/dev/null; then
    record "$tags" "scenario=memory arrivals=$arrivals received_bytes=$((arrivals * 1024)) rss_start_kb=$rss_start rss_kb=$(rss_kb "$RECEIVER_PID")"
  fi
  stop_pid "$RECEIVER_PID"
  say "memory: $(last_result ' scenario=memory ')"
  [ "$KEEP" = yes ] || rm -rf "$dir"
}

measure_window() {
  local out=$WORK/window.txt
  # The probe has deadlines of its own; `timeout` ends it should its loop hang all the same.
  if run_to "$out" timeout --kill-after=10 300 "$WINDOW_STALL" --count "$WINDOW_BURST" --lockstep "$WINDOW_LOCKSTEP" \
      --timeout 240; then
    record "receiver=corvane pin=none round=window" "$(cat "$out")"
  else
    echo "window: window_stall failed: $(tail -1 "$WORK/clients.log")" >>"$FAULTS"
  fi
  say "window: $(cat "$out")"
}

say "receivers: ${RECEIVERS[*]}; pinnings: ${PINNINGS[*]}; $ROUNDS round(s); work in $WORK"
for ((round = 1; round <= ROUNDS; ++round)); do
  for pin in "${PINNINGS[@]}"; do
    client_cpu=$CLIENT_CPU
    [ "$pin" = same ] && client_cpu=$RECEIVER_CPU
    # Each round starts with another receiver, so none always runs first.
    count=${#RECEIVERS[@]}
    for ((k = 0; k < count; ++k)); do
      receiver=${RECEIVERS[$(((k + round - 1) % count))]}
      measure_receiver "$receiver" "$pin" "$round" "$RECEIVER_CPU" "$client_cpu"
    done
  done
done
measure_memory
measure_window

case $MODE in
  quick) RUN_DESCRIPTION="quick run (bench/run.sh --quick), $(date +%F)" ;;
  full) RUN_DESCRIPTION="full run (bench/run.sh --full), $(date +%F)" ;;
  *) RUN_DESCRIPTION="bench/run.sh, $(date +%F)" ;;
esac
RUN_DESCRIPTION+=", $(nproc) CPUs, $(uname -r)"
[ "$MEMORY_SECONDS" -gt 0 ] && RUN_DESCRIPTION+="; the memory run is limited to ${MEMORY_SECONDS} s"

SAVED=$BUILD/bench-results
mkdir -p "$SAVED"
print_table | tee "$SAVED/table.md"
cp "$RESULTS" "$SAVED/results.txt"
cp "$FAULTS" "$SAVED/faults.txt"

failed=$(grep -cE '\| (FAIL|no figure) \|$' "$SAVED/table.md" || true)
passed=$(grep -cE '\| PASS \|$' "$SAVED/table.md" || true)
echo
echo "Targets: $passed PASS, $failed FAIL. Results and table kept in $SAVED."
if [ -s "$FAULTS" ]; then
  echo "Faults seen (a receiver misbehaved or a tool failed):"
  sed 's/^/  /' "$FAULTS"
  exit 2
fi
[ "$failed" -eq 0 ] || exit 1
