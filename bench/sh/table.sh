# The results table of bench/run.sh: medians over the rounds, ratios to the
# reference receiver, and PASS/FAIL against the targets. Sourced after
# lib.sh; reads $RESULTS. A target row ends in PASS, FAIL or "no figure".

# Median of KEY over the lines of one receiver, pinning ("*" for any) and scenario; "-" when none.
median() {
  awk -v receiver="$1" -v pin="$2" -v scenario="$3" -v key="$4" '
      {
        split("", v)
        for (i = 1; i <= NF; ++i) {
          at = index($i, "=")
          v[substr($i, 1, at - 1)] = substr($i, at + 1)
        }
        if (v["receiver"] == receiver && (pin == "*" || v["pin"] == pin) && v["scenario"] == scenario && (key in v))
          print v[key]
      }' "$RESULTS" | sort -g |
    awk '{ v[NR] = $1 }
         END { if (NR == 0) print "-"; else if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

# A number with the given decimals; "-" stays.
num() {
  awk -v v="$1" -v d="$2" 'BEGIN { if (v == "-" || v == "") print "-"; else printf "%.*f\n", d, v }'
}

ratio() {
  awk -v a="$1" -v b="$2" 'BEGIN { if (a == "-" || b == "-" || b == 0) print "-"; else printf "%.2fx\n", a / b }'
}

# PASS when VALUE compares as asked ("ge" or "le") with LIMIT.
judge() {
  local value=${1%x} how=$2 limit=$3
  if [ "$value" = "-" ]; then
    echo "no figure"
    return
  fi
  awk -v v="$value" -v how="$how" -v limit="$limit" \
    'BEGIN { ok = (how == "ge") ? (v >= limit) : (v <= limit); print ok ? "PASS" : "FAIL" }'
}

row() {
  local text="" cell
  for cell in "$@"; do
    text+="| $cell "
  done
  echo "$text|"
}

pin_name() {
  case $1 in
    separate) echo "separate cores" ;;
    same) echo "same core" ;;
    *) echo "$1" ;;
  esac
}

# One row per pinning: title, scenario, key, decimals, and targets on the
# ratio to the reference as "PIN=ge|le LIMIT,..." ("" for none; "count" for
# a count that has no meaningful ratio).
figure_rows() {
  local title=$1 scenario=$2 key=$3 decimals=$4 targets=${5:-} pin plain=no
  [ "$targets" = count ] && plain=yes targets=""
  for pin in "${PINNINGS[@]}"; do
    local corvane reference python quotient rule target="" verdict=""
    corvane=$(median corvane "$pin" "$scenario" "$key")
    reference=$(median reference "$pin" "$scenario" "$key")
    python=$(median python "$pin" "$scenario" "$key")
    quotient=$(ratio "$corvane" "$reference")
    [ "$plain" = yes ] && quotient=""
    rule=$(tr ',' '\n' <<<"$targets" | sed -n "s/^$pin=//p")
    if [ -n "$rule" ]; then
      local how=${rule%% *} limit=${rule#* }
      target=$([ "$how" = ge ] && echo "≥ ${limit}x" || echo "≤ ${limit}x")
      verdict=$(judge "$quotient" "$how" "$limit")
    fi
    row "$title" "$(pin_name "$pin")" "$(num "$corvane" "$decimals")" "$(num "$reference" "$decimals")" \
      "$(num "$python" "$decimals")" "$quotient" "$target" "$verdict"
  done
}

startup_row() {
  local corvane reference python
  corvane=$(median corvane "*" listen startup_ms)
  reference=$(median reference "*" listen startup_ms)
  python=$(median python "*" listen startup_ms)
  row "Start-up to listening, ms (every start)" "as pinned" "$(num "$corvane" 1)" "$(num "$reference" 1)" \
    "$(num "$python" 1)" "$(ratio "$corvane" "$reference")" "< 300 ms" "$(judge "$corvane" le 300)"
}

# Resident memory against 1.3 × received + 80 MiB: as measured, and, when
# the run stopped before MEMORY_COUNT arrivals, projected to that count from
# the growth per arrival.
memory_row() {
  local line
  line=$(last_result " scenario=memory ")
  if [ -z "$line" ]; then
    row "Resident memory after lock-step arrivals of 1 KB, MiB" "none" "-" "" "" "" "≤ 1.3 × received + 80 MiB" "no figure"
    return
  fi
  local rss rss_start arrivals
  rss=$(field rss_kb "$line")
  rss_start=$(field rss_start_kb "$line")
  arrivals=$(field arrivals "$line")
  memory_judged_row "Resident memory after $arrivals lock-step arrivals of 1 KB, MiB" "$arrivals" \
    "$(awk -v k="$rss" 'BEGIN { printf "%.1f", k / 1024 }')"
  if [ "$arrivals" -lt "$MEMORY_COUNT" ]; then
    local projected
    projected=$(awk -v s="$rss_start" -v k="$rss" -v n="$arrivals" -v m="$MEMORY_COUNT" \
      'BEGIN { printf "%.1f", (s + (k - s) * m / n) / 1024 }')
    memory_judged_row "Resident memory projected to $MEMORY_COUNT arrivals from the growth per arrival, MiB" \
      "$MEMORY_COUNT" "$projected"
  fi
  local first last
  local pace
  pace=$(last_result " round=memory scenario=lockstep ")
  first=$(field first_tenth_acks_per_s "$pace")
  last=$(field last_tenth_acks_per_s "$pace")
  row "Memory run: lock-step acks/s in its first tenth → last tenth" "none" \
    "$(num "${first:--}" 0) → $(num "${last:--}" 0)" "" "" "" "" ""
  row "Resident memory growth per 1 KB arrival, KiB" "none" \
    "$(awk -v s="$rss_start" -v k="$rss" -v n="$arrivals" 'BEGIN { printf "%.2f", (k - s) / n }')" "" "" "" "" ""
}

memory_judged_row() {
  local title=$1 arrivals=$2 mib=$3 limit
  limit=$(awk -v n="$arrivals" 'BEGIN { printf "%.1f", (1.3 * n * 1024 + 80 * 1048576) / 1048576 }')
  row "$title" "none" "$mib" "" "" "" "≤ $limit MiB" "$(judge "$mib" le "$limit")"
}

window_rows() {
  local line
  line=$(last_result " scenario=window ")
  if [ -z "$line" ]; then
    row "Window: longest event-loop stall in a burst, ms" "-" "-" "" "" "" "≤ 50 ms" "no figure"
    return
  fi
  local burst lockstep rate
  burst=$(field burst_max_stall_ms "$line")
  lockstep=$(field lockstep_max_stall_ms "$line")
  rate=$(field burst_msgs_per_s "$line")
  row "Window: longest event-loop stall during a ${WINDOW_BURST} × 1 KB burst, ms" "none" "$(num "${burst:--}" 1)" \
    "" "" "" "≤ 50 ms" "$(judge "${burst:--}" le 50)"
  row "Window: longest stall during ${WINDOW_LOCKSTEP} lock-step arrivals, ms" "none" "$(num "${lockstep:--}" 1)" \
    "" "" "" "" ""
  row "Window: burst taken in, msgs/s (real window, shown)" "none" "$(num "${rate:--}" 0)" "" "" "" "" ""
}

print_table() {
  local python_head="python3-hl7"
  has_python_peer || python_head="python3-hl7 (not installed)"
  echo "Corvane $(sed -n 's/^project(Corvane VERSION \([0-9.]*\).*/\1/p' "$ROOT/CMakeLists.txt"): $RUN_DESCRIPTION"
  echo
  row "Figure (median of $ROUNDS rounds)" "Pinning" "Corvane" "Reference" "$python_head" "Corvane / ref" "Target" "Result"
  row "---" "---" "---:" "---:" "---:" "---:" "---" "---"
  figure_rows "Lock-step acks/s (${LOCKSTEP_COUNT} × 1 KB)" lockstep acks_per_s 0 "separate=ge 0.9,same=ge 0.4"
  figure_rows "Lock-step latency p50, µs" lockstep latency_p50_us 0
  figure_rows "Lock-step latency p99, µs" lockstep latency_p99_us 0 "separate=le 1.5"
  figure_rows "Lock-step latency max, µs" lockstep latency_max_us 0
  figure_rows "Burst taken in, msgs/s (${BURST_COUNT} × 1 KB)" burst msgs_per_s 0 "separate=ge 0.5,same=ge 0.5"
  figure_rows "Burst: lines stored (arrivals)" burst stored_lines 0 count
  figure_rows "Burst: largest arrival, bytes" burst largest_arrival 0 count
  figure_rows "Large ${LARGE_COUNT} × 1 MB one at a time, MB/s" large mb_per_s 0
  figure_rows "Large: 1 MB sent to stored, p50 µs" large stored_p50_us 0
  figure_rows "Connect-and-close cycle p50, µs (${CYCLES_COUNT} cycles)" cycles cycle_p50_us 0
  figure_rows "Connects refused in ${CYCLES_COUNT} cycles" cycles refused 0 count
  startup_row
  memory_row
  window_rows
  echo
  echo "Separate cores: receiver on CPU $RECEIVER_CPU, client on CPU $CLIENT_CPU; same core: both on CPU" \
    "$RECEIVER_CPU; Xvfb unpinned. Wall-clock figures from a small shared machine: expect 10-30 % noise between runs."
}
