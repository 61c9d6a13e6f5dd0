#!/usr/bin/env bash
# Benchmarks Corvane against a minimal reference receiver built from this
# tree, and against python3-hl7's asyncio MLLP server when that is
# installed, and prints one table of medians, ratios and PASS/FAIL.
#
#   bench/run.sh [--quick | --full] [--rounds N] [--keep]
#   bench/run.sh --callgrind [ARRIVALS]
#
# Builds in build-bench/ (Release), installs missing Debian packages when
# run as root, and runs everything under its own Xvfb. Exit status: 0 all
# targets met, 1 a target missed, 2 a receiver misbehaved or a tool failed.
# See bench/README.md.
set -euo pipefail

BENCH_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
ROOT=$(cd "$BENCH_DIR/.." && pwd)
BUILD=$ROOT/build-bench

usage() {
  sed -n '2,12s/^# \{0,1\}//p' "${BASH_SOURCE[0]}"
}

inner=measure.sh
inner_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --quick | --full | --keep) inner_args+=("$1") ;;
    --rounds)
      [[ ${2:-} =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: --rounds takes a positive number" >&2; exit 2; }
      inner_args+=("$1" "$2")
      shift
      ;;
    --callgrind)
      inner=callgrind.sh
      if [[ ${2:-} =~ ^[1-9][0-9]*$ ]]; then
        inner_args+=("$2")
        shift
      fi
      ;;
    -h | --help) usage; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; usage >&2; exit 2 ;;
  esac
  shift
done

packages=(g++ cmake ninja-build qt6-base-dev xvfb xauth util-linux)
[ "$inner" = callgrind.sh ] && packages+=(valgrind)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "run.sh: missing Debian packages (install them as root): ${missing[*]}" >&2
    exit 2
  fi
  echo "Installing: ${missing[*]}" >&2
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >&2
fi

# Everything below runs in the background and is waited for, so that an
# interrupted run ends what it started (by PID) at once.
pid_file=$(mktemp /tmp/corvane-bench-pid.XXXXXX)
child_pid=
cleanup() {
  if [ -n "$child_pid" ] && kill -0 "$child_pid" 2>/dev/null; then
    # Under Xvfb the measuring script is ended, which ends what it started;
    # xvfb-run then ends the X server.
    local inner_pid
    inner_pid=$(cat "$pid_file" 2>/dev/null || true)
    kill -TERM "${inner_pid:-$child_pid}" 2>/dev/null || true
    wait "$child_pid" 2>/dev/null || true
  fi
  rm -f "$pid_file"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

run_child() {
  local status=0
  "$@" &
  child_pid=$!
  wait "$child_pid" || status=$?
  child_pid=
  return "$status"
}

echo "Building in $BUILD" >&2
mkdir -p "$BUILD"
run_child cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >"$BUILD/bench-configure.log" 2>&1 ||
  { cat "$BUILD/bench-configure.log" >&2; exit 2; }
# Two jobs at most: the machine is small and shared. Ninja itself, so that
# ending it ends its compilers.
run_child ninja -C "$BUILD" -j 2 corvane corvane_load reference_receiver window_stall >&2

status=0
run_child env BUILD="$BUILD" xvfb-run -a -s "-screen 0 1280x1024x24" \
  bash -c 'echo $$ >"$0"; exec bash "$1" "${@:2}"' "$pid_file" "$BENCH_DIR/sh/$inner" "${inner_args[@]}" ||
  status=$?
exit "$status"
