# Shared by the bench scripts: the processes they start (each ended by its
# PID), the receivers' program directories and settings, and result lines.
# Sourced; expects BENCH_DIR, ROOT, BUILD and WORK to be set.

LOAD=$BUILD/bench/corvane_load
REFERENCE=$BUILD/bench/reference_receiver
WINDOW_STALL=$BUILD/bench/window_stall
CANONICAL_SETTINGS=$ROOT/tests/data/first_start.ini
PYTHON_PEER=$BENCH_DIR/peers/hl7_mllp_peer.py
SYSTEM_PYTHON=/usr/bin/python3
RESULTS=$WORK/results.txt
FAULTS=$WORK/faults.txt

STARTED=()
RECEIVER_WRAPPER=()  # e.g. valgrind and its options, for Corvane

forget_pid() {
  local keep=() pid
  for pid in "${STARTED[@]}"; do
    [ "$pid" = "$1" ] || keep+=("$pid")
  done
  STARTED=("${keep[@]}")
}

# Ends one process we started and waits for it.
stop_pid() {
  kill -TERM "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  forget_pid "$1"
}

stop_all() {
  local pid
  for pid in "${STARTED[@]}"; do
    kill -TERM "$pid" 2>/dev/null || true
  done
  for pid in "${STARTED[@]}"; do
    wait "$pid" 2>/dev/null || true
  done
  STARTED=()
}

# Runs a command in the background and waits for it, so that a signal to
# this script is handled at once; its output goes to the file named first.
run_to() {
  local out=$1 pid rc=0
  shift
  "$@" >"$out" 2>>"$WORK/clients.log" &
  pid=$!
  STARTED+=("$pid")
  wait "$pid" || rc=$?
  forget_pid "$pid"
  return "$rc"
}

has_python_peer() {
  [ -x "$SYSTEM_PYTHON" ] && [ -f /usr/lib/python3/dist-packages/hl7/mllp/__init__.py ]
}

# The CPUs this process may use, one a line.
allowed_cpus() {
  local list part
  list=$(awk '/^Cpus_allowed_list/ {print $2}' /proc/self/status)
  for part in ${list//,/ }; do
    if [[ $part == *-* ]]; then
      seq "${part%-*}" "${part#*-}"
    else
      echo "$part"
    fi
  done
}

free_port() {
  "$LOAD" --scenario free-port | sed 's/.*port=//'
}

# The canonical settings file with automatic start on, the port and the data file.
write_settings() {
  local file=$1 port=$2 data=$3
  awk -v port="$port" -v data="$data" '
    BEGIN { RS = "\r\n"; ORS = "\r\n" }
    previous == "[AutoStart]" { $0 = "On" }
    previous == "[Port]" { $0 = port }
    previous == "[Logfile Location]" { $0 = data }
    { print; previous = $0 }' "$CANONICAL_SETTINGS" >"$file"
}

# Starts one receiver in a program directory of its own, pinned to the given
# CPUs ("" for none), and waits until it listens. Sets RECEIVER_PID,
# RECEIVER_PORT, RECEIVER_DATA and STARTUP_LINE. Corvane runs under
# RECEIVER_WRAPPER when that is set.
start_receiver() {
  local kind=$1 dir=$2 cpus=$3
  local pin=()
  [ -n "$cpus" ] && pin=(taskset -c "$cpus")
  mkdir -p "$dir"
  RECEIVER_PORT=$(free_port)
  RECEIVER_DATA=$dir/data.txt
  local launched
  case $kind in
    corvane)
      cp "$BUILD/corvane" "$dir/corvane"
      write_settings "$dir/corvconf.ini" "$RECEIVER_PORT" "$RECEIVER_DATA"
      launched=$(date +%s%N)
      "${pin[@]}" "${RECEIVER_WRAPPER[@]}" "$dir/corvane" >"$dir/stdout.txt" 2>"$dir/stderr.txt" &
      ;;
    reference)
      launched=$(date +%s%N)
      "${pin[@]}" "$REFERENCE" --port "$RECEIVER_PORT" --data-file "$RECEIVER_DATA" \
        >"$dir/stdout.txt" 2>"$dir/stderr.txt" &
      ;;
    python)
      launched=$(date +%s%N)
      "${pin[@]}" "$SYSTEM_PYTHON" "$PYTHON_PEER" --port "$RECEIVER_PORT" --data-file "$RECEIVER_DATA" \
        >"$dir/stdout.txt" 2>"$dir/stderr.txt" &
      ;;
  esac
  RECEIVER_PID=$!
  STARTED+=("$RECEIVER_PID")
  if ! run_to "$dir/listen.txt" "$LOAD" --scenario listen --port "$RECEIVER_PORT" --since-ns "$launched" \
      --timeout "${LISTEN_TIMEOUT:-20}"; then
    echo "run.sh: $kind did not listen; its error output:" >&2
    cat "$dir/stderr.txt" >&2
    return 1
  fi
  STARTUP_LINE=$(cat "$dir/listen.txt")
  if [ "$kind" = corvane ] && ! grep -q "Start requested." "$dir/ifreport.txt"; then
    echo "run.sh: Corvane listens but its report has no start" >&2
    return 1
  fi
}

# The last result line holding the given text; empty when there is none.
last_result() {
  { grep -F -- "$1" "$RESULTS" || true; } | tail -1
}

# The value of KEY in a result line; empty when it has none.
field() {
  sed -n "s/.* $1=\([^ ]*\).*/\1/p" <<<" $2"
}

# Resident memory of a process, in kB.
rss_kb() {
  awk '/^VmRSS:/ {print $2}' "/proc/$1/status"
}

# Appends a result line, tagged, and notes what it shows to be wrong.
record() {
  local tags=$1 line=$2
  echo "$tags $line" >>"$RESULTS"
  local problem
  problem=$(awk '{
      for (i = 1; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
      if (("bad_acks" in v) && v["bad_acks"] != 0) print "answers that are not the acknowledgement"
      if (("stored_ok" in v) && v["stored_ok"] != 1) print "data file does not hold exactly what was sent"
      if (v["scenario"] == "lockstep" && v["acks"] != v["count"]) print "answers do not match messages one to one"
      if (("unexpected_bytes" in v) && v["unexpected_bytes"] != 0) print "bytes answered to a silent connection"
    }' <<<"$line")
  if [ -n "$problem" ]; then
    echo "$tags: $problem" >>"$FAULTS"
  fi
}

# Runs one scenario of the load generator, pinned to the given CPUs, and records it.
run_scenario() {
  local tags=$1 cpus=$2
  shift 2
  local pin=() out=$WORK/scenario.txt
  [ -n "$cpus" ] && pin=(taskset -c "$cpus")
  if run_to "$out" "${pin[@]}" "$LOAD" "$@"; then
    record "$tags" "$(cat "$out")"
  else
    echo "$tags: the load generator failed: $(tail -1 "$WORK/clients.log")" >>"$FAULTS"
  fi
}
