#!/usr/bin/env bash
# Benchmarks Corvane beside a minimal reference receiver built from this
# tree and python3-hl7's asyncio MLLP server (when that is installed), and
# prints one table of medians, ratios and PASS/FAIL. See bench/README.md.
#
#   bench/run.sh [--quick | --full] [--rounds N] [--keep] [--against PROGRAM]
#   bench/run.sh --callgrind [ARRIVALS]
#
# --against measures another build of Corvane (PROGRAM, its executable) in
# the same rounds, for a before-and-after ratio taken in one run.
# Installs missing Debian packages, builds in build-bench/ (Release) and
# runs everything under an X server of its own. Exit status: 0 all targets
# met, 1 a target missed, 2 a receiver misbehaved or a tool failed.
set -euo pipefail

BENCH=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(dirname "$BENCH")
BUILD=$ROOT/build-bench
BIN=$BUILD/bench
SAVED=$BUILD/bench-results
PYTHON=/usr/bin/python3  # Debian's, with python3-hl7 when that is installed

MODE=default ROUNDS='' KEEP=no ARRIVALS=200 AGAINST=''
while [ $# -gt 0 ]; do
  case $1 in
    --quick | --full) MODE=${1#--} ;;
    --keep) KEEP=yes ;;
    --against)
      [ -x "${2:-}" ] || { echo "run.sh: --against takes a Corvane executable" >&2; exit 2; }
      AGAINST=$(realpath "$2")
      shift
      ;;
    --rounds)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --rounds takes a positive number" >&2; exit 2; }
      ROUNDS=$2
      shift
      ;;
    --callgrind)
      MODE=callgrind
      if [[ ${2:-} =~ ^[1-9][0-9]*$ ]]; then
        ARRIVALS=$2
        shift
      fi
      ;;
    -h | --help) sed -n '2,13s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
LOCKSTEP=10000 BURST=100000 LARGE=50 CYCLES=1000 MEMORY=200000 HUGE=64 WINDOW_LOCKSTEP=5000
MEMORY_SECONDS=60  # the memory run stops early after this long; 0: never
case $MODE in
  quick) ROUNDS=${ROUNDS:-1} LOCKSTEP=2000 LARGE=20 CYCLES=300 MEMORY_SECONDS=15 WINDOW_LOCKSTEP=1000 ;;
  full) MEMORY_SECONDS=0 ;;
esac
ROUNDS=${ROUNDS:-3} LISTEN_TIMEOUT=20 WRAPPER=()

# shellcheck source=tools/install_missing.sh
source "$ROOT/tools/install_missing.sh"
packages=(g++ cmake ninja-build qt6-base-dev xvfb util-linux python3)
[ "$MODE" != callgrind ] || packages+=(valgrind)
install_missing "${packages[@]}" >&2 || exit 2

# Every process started here is ended by its PID when the run ends or is
# interrupted. Commands run in the background and are waited for, so that a
# signal is handled at once.
WORK=$(mktemp -d /tmp/corvane-bench.XXXXXX)
RESULTS=$WORK/results.txt FAULTS=$WORK/faults.txt
: >"$FAULTS"
declare -A STARTED=()
stop() {
  local pid
  for pid; do kill -TERM "$pid" 2>/dev/null || true; done
  for pid; do
    wait "$pid" 2>/dev/null || true
    unset "STARTED[$pid]"
  done
}
cleanup() {
  stop "${!STARTED[@]}"
  if [ "$KEEP" = yes ]; then echo "Kept $WORK" >&2; else rm -rf "$WORK"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts a command in the background, its output in FILE and FILE.err; sets LAUNCHED.
launch() {
  local out=$1
  shift
  "$@" >"$out" 2>"$out.err" &
  LAUNCHED=$!
  STARTED[$LAUNCHED]=1
}
run_to() {
  launch "$@"
  local pid=$LAUNCHED status=0
  wait "$pid" || status=$?
  unset "STARTED[$pid]"
  return "$status"
}
say() { echo "[$(date +%T)] $*" >&2; }
fail() {
  cat "$FAULTS" >&2
  exit 2
}

say "Building in $BUILD"
mkdir -p "$BUILD"
# Two jobs at most: the machine is small and shared. Ninja itself, so that
# ending it ends its compilers.
if ! run_to "$WORK/build.log" cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release ||
  ! run_to "$WORK/build.log" ninja -C "$BUILD" -j 2 corvane corvane_load reference_receiver window_stall slow_reads; then
  cat "$WORK/build.log" "$WORK/build.log.err" >&2
  exit 2
fi

# An X server of our own, so that Corvane's window is real and paints.
exec 3< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>"$WORK/xvfb.err")
STARTED[$!]=1
read -r -t 20 display <&3 || { cat "$WORK/xvfb.err" >&2; exit 2; }
export DISPLAY=:$display

# A program directory holding the canonical settings file with automatic
# start on, a free port and the data file DIR/data.txt (and, for the
# receiver "messages", message mode on); sets PORT and DATA.
program_dir() {
  mkdir -p "$1"
  PORT=$("$BIN/corvane_load" --scenario free-port | sed 's/.*port=//') DATA=$1/data.txt
  awk -v port="$PORT" -v data="$DATA" 'BEGIN { RS = ORS = "\r\n" }
    previous == "[AutoStart]" { $0 = "On" }
    previous == "[Port]" { $0 = port }
    previous == "[Logfile Location]" { $0 = data }
    { print; previous = $0 }' "$ROOT/desktop/corvconf.ini" >"$1/corvconf.ini"
  [ "${2:-}" != messages ] || printf '[Answer Each Message]\r\nOn\r\n' >>"$1/corvconf.ini"
}

# Runs a measuring command pinned to CPUs ("" for none) and records its line
# under TAGS; a failure is recorded as a fault with its last error line.
measure() {
  local tags=$1 cpus=$2 status=0
  shift 2
  [ -z "$cpus" ] || set -- taskset -c "$cpus" "$@"
  run_to "$WORK/line" "$@" || status=$?
  [ ! -s "$WORK/line" ] || echo "$tags $(cat "$WORK/line")" >>"$RESULTS"
  [ "$status" -eq 0 ] || echo "$tags: $(tail -1 "$WORK/line.err")" >>"$FAULTS"
  return "$status"
}
load() {
  measure "$1" "$2" "$BIN/corvane_load" --port "$PORT" --data-file "$DATA" "${@:3}"
}

# Starts a receiver in a program directory of its own, pinned to CPUs ("" for
# none), and waits until it listens; sets RECEIVER. Corvane runs under
# WRAPPER when that is set.
start() {
  local kind=$1 tags=$2 dir=$3 cpus=$4 launched command
  program_dir "$dir" "$kind"
  case $kind in
    corvane | messages) cp "$BUILD/corvane" "$dir/" && command=("${WRAPPER[@]}" "$dir/corvane") ;;
    against) cp "$AGAINST" "$dir/corvane" && command=("$dir/corvane") ;;
    reference) command=("$BIN/reference_receiver" --port "$PORT" --data-file "$DATA") ;;
    python) command=("$PYTHON" "$BENCH/peers/hl7_mllp_peer.py" --port "$PORT" --data-file "$DATA") ;;
  esac
  [ -z "$cpus" ] || command=(taskset -c "$cpus" "${command[@]}")
  launched=$(date +%s%N)
  launch "$dir/stdout.txt" "${command[@]}"
  RECEIVER=$LAUNCHED
  load "$tags" "" --scenario listen --since-ns "$launched" --timeout "$LISTEN_TIMEOUT" || return
  [ "$kind" = reference ] || [ "$kind" = python ] || grep -q "Start requested." "$dir/ifreport.txt" ||
    { echo "$tags: Corvane listens but its report has no start" >>"$FAULTS" && return 1; }
}

# Ends the receiver; one that ended by itself is a fault.
finish() {
  kill -0 "$RECEIVER" 2>/dev/null || echo "$1: the receiver ended by itself" >>"$FAULTS"
  stop "$RECEIVER"
  [ "$KEEP" = yes ] || rm -rf "$2"
}

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

if [ "$MODE" = callgrind ]; then
  cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
  # Waits until Corvane has used no CPU for half a second, so that late work
  # (the first paint, a pending repaint) falls inside the run it belongs to.
  wait_quiet() {
    local deadline=$((SECONDS + 120)) before after
    after=$(cpu_ticks "$RECEIVER")
    # The pause is the measuring window of the check, not a wait for an event.
    while before=$after && sleep 0.5 && after=$(cpu_ticks "$RECEIVER") && [ "$after" -gt $((before + 1)) ]; do
      [ $SECONDS -lt $deadline ] || { echo "callgrind: Corvane never went quiet" >>"$FAULTS" && return 1; }
    done
  }
  LISTEN_TIMEOUT=300  # start-up under valgrind is slow
  say "callgrind: a start-up-only run, then a run with $ARRIVALS lock-step arrivals (this takes minutes)"
  for run in startup arrivals; do
    WRAPPER=(valgrind --tool=callgrind "--callgrind-out-file=$WORK/$run.callgrind")
    tags="receiver=corvane pin=none round=$run"
    { start corvane "$tags" "$WORK/$run" "" && wait_quiet; } || fail
    if [ "$run" = arrivals ]; then
      { load "$tags" "" --scenario lockstep --count "$ARRIVALS" --timeout 3600 && wait_quiet; } || fail
    fi
    stop "$RECEIVER"  # callgrind writes its counts as the program ends
  done
  mkdir -p "$SAVED"
  cp "$WORK/startup.callgrind" "$WORK/arrivals.callgrind" "$SAVED/"
  "$PYTHON" "$BENCH/report.py" callgrind "$WORK" "$ARRIVALS" | tee "$SAVED/callgrind.txt" || exit 2
  echo "Profiles kept in $SAVED (callgrind_annotate --inclusive=yes $SAVED/arrivals.callgrind)."
  exit 0
fi

read -r -a CPUS < <("$PYTHON" -c 'import os; print(*sorted(os.sched_getaffinity(0)))')
RECEIVER_CPU=${CPUS[1]:-${CPUS[0]}} CLIENT_CPU=${CPUS[0]} PINNINGS=(separate same)
[ "${#CPUS[@]}" -ge 2 ] || PINNINGS=(same)
RECEIVERS=(corvane messages reference)
[ -z "$AGAINST" ] || RECEIVERS+=(against)
[ ! -f /usr/lib/python3/dist-packages/hl7/mllp/__init__.py ] || RECEIVERS+=(python)
echo "scenario=run mode=$MODE rounds=$ROUNDS lockstep=$LOCKSTEP burst=$BURST large=$LARGE cycles=$CYCLES" \
  "memory=$MEMORY huge=$HUGE memory_seconds=$MEMORY_SECONDS window_lockstep=$WINDOW_LOCKSTEP against=${AGAINST:-none}" \
  "receivers=$(IFS=,; echo "${RECEIVERS[*]}") pinnings=$(IFS=,; echo "${PINNINGS[*]}")" \
  "receiver_cpu=$RECEIVER_CPU client_cpu=$CLIENT_CPU" >"$RESULTS"

# One receiver, fresh, through every scenario.
measure_receiver() {
  local tags="receiver=$1 pin=$2 round=$3" client_cpu=$4 dir=$WORK/$1-$2-$3 scenario
  if start "$1" "$tags" "$dir" "$RECEIVER_CPU"; then
    for scenario in "lockstep $LOCKSTEP" "burst $BURST" "large $LARGE" "cycles $CYCLES"; do
      load "$tags" "$client_cpu" --scenario "${scenario% *}" --count "${scenario#* }" || :
    done
  fi
  finish "$tags" "$dir"
  say "$tags:$(grep -F "$tags scenario=lockstep " "$RESULTS" | grep -oE ' (acks_per_s|latency_p99_us)=[^ ]*' | tr -d '\n')"
}

# A fresh Corvane takes arrivals one at a time (ROUND: memory, 1 KB each;
# huge, 4 MB each); then its resident memory against that at the start.
measure_memory() {
  local round=$1 tags="receiver=corvane pin=none round=$1" before
  shift
  if start corvane "$tags" "$WORK/$round" ""; then
    before=$(rss_kb "$RECEIVER")
    load "$tags" "" "$@" --timeout 3600 || :
    ! kill -0 "$RECEIVER" 2>/dev/null ||
      echo "$tags scenario=memory rss_start_kb=$before rss_kb=$(rss_kb "$RECEIVER")" >>"$RESULTS"
  fi
  finish "$tags" "$WORK/$round"
  say "$round: $(grep -F "$tags scenario=memory " "$RESULTS" || true)"
}

# The window under the load generator's burst and lock-step traffic. With
# a second argument, lock-step alone, once as it is and once with every read
# of the data file slowed by 10 ms (bench/slow_reads): the rows in sight must
# never hold up an arrival.
measure_window() {
  local round=$1 count=$BURST preload=()
  local tags="receiver=corvane pin=none round=$round" dir=$WORK/$round
  program_dir "$dir"
  cp "$BIN/window_stall" "$dir/"
  [ "$round" = window ] || count=0
  [ "$round" != window-slow ] || preload=(env LD_PRELOAD="$BIN/libslow_reads.so" CORVANE_SLOW_FILE="$DATA")
  # The probe has deadlines of its own; `timeout` ends it should its loop hang all the same.
  measure "$tags" "" timeout --kill-after=10 300 "${preload[@]}" "$dir/window_stall" --port "$PORT" --data-file "$DATA" \
    --count "$count" --lockstep "$WINDOW_LOCKSTEP" --timeout 240 || :
  grep -qF "$tags scenario=window " "$RESULTS" || echo "$tags: window_stall gave no figures" >>"$FAULTS"
  say "$round: $(grep -F "$tags scenario=window " "$RESULTS" | grep -oE '(burst|lockstep)_(max_stall_ms|acks_per_s)=[^ ]*' | tr '\n' ' ')"
  [ "$KEEP" = yes ] || rm -rf "$dir"
}

say "receivers: ${RECEIVERS[*]}; pinnings: ${PINNINGS[*]}; $ROUNDS round(s); work in $WORK"
for ((round = 1; round <= ROUNDS; ++round)); do
  for pin in "${PINNINGS[@]}"; do
    client_cpu=$CLIENT_CPU
    [ "$pin" = separate ] || client_cpu=$RECEIVER_CPU
    # Each round starts with another receiver, so that none always runs first.
    for ((k = 0; k < ${#RECEIVERS[@]}; ++k)); do
      measure_receiver "${RECEIVERS[(k + round - 1) % ${#RECEIVERS[@]}]}" "$pin" "$round" "$client_cpu"
    done
  done
done
measure_memory memory --scenario lockstep --count "$MEMORY" --time-limit "$MEMORY_SECONDS"
measure_memory huge --scenario large --count "$HUGE" --size $((4 * 1024 * 1024))
measure_window window
measure_window window-lockstep
measure_window window-slow
"$PYTHON" "$BENCH/report.py" table "$WORK" "$SAVED"
