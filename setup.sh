#!/usr/bin/env bash
# Builds Corvane on Debian 12, installing what is missing, then either starts
# it (`./setup.sh run`: the program alone, run in build/ so that every file
# it makes lands beside it) or runs every test (`./setup.sh test`): the
# suite, the same suite built with AddressSanitizer and
# UndefinedBehaviorSanitizer, and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")"
# Builds use the machine's two cores and no more.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}

build_packages=(g++ cmake ninja-build qt6-base-dev)
# Real peers and a virtual display for the tests that drive the program from
# outside; setpriv (util-linux) runs the program as an unprivileged user so
# that file permissions apply when the tests run as root.
test_packages=(python3-hl7 xvfb xauth xdotool util-linux)
# clang with libFuzzer's runtime (libclang_rt.fuzzer) for the fuzz targets.
fuzz_packages=(clang libclang-rt-14-dev)

# shellcheck source=tools/install_missing.sh
source tools/install_missing.sh

# Node.js and npm for the sender from npm; a nodejs package that brings its
# own npm must not be replaced by Debian's, so npm is asked for only when missing.
install_node() {
  command -v node >/dev/null || install_missing nodejs
  command -v npm >/dev/null || install_missing npm
  (cd tests/e2e/node && npm ci --no-audit --no-fund --loglevel=error)
}

# Everything, or the targets named.
build() {
  cmake -S . -B build -G Ninja
  cmake --build build "$@"
}

# Each suite's ctest summary, kept for the closing line.
passed=0
failed=0
status=0
run_suite() {
  local title=$1 log
  shift
  log=$(mktemp)
  echo "=== $title"
  "$@" 2>&1 | tee "$log" || status=1
  local summary
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1 || true)
  if [ -n "$summary" ]; then
    local total bad
    bad=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + total - bad))
    failed=$((failed + bad))
  else
    status=1
  fi
  rm -f "$log"
}

# The suite with ASan and UBSan (g++). Any finding ends the process that made
# it (UBSan is fatal, see tests/checking_builds.cmake) and is written to a
# report file, so that one in the program under test, which runs as a child
# of an end-to-end test, is not lost either: the suite fails when any report
# file appears. Leaks are checked: Qt frees what the tests create, and an
# end-to-end test ends the program with SIGKILL, where no leak check runs.
sanitizer_suite() {
  cmake -S . -B build-asan -G Ninja -DCORVANE_SANITIZE=ON || return 1
  cmake --build build-asan || return 1
  local reports
  reports=$(mktemp -d /tmp/corvane-sanitizers.XXXXXX)
  chmod 1777 "$reports"  # the program may run as "nobody" there
  local result=0
  ASAN_OPTIONS="detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:log_path=$reports/asan" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan" \
    ctest --test-dir build-asan --output-on-failure --timeout 300 || result=1
  if [ -n "$(ls -A "$reports")" ]; then
    echo "Sanitizer reports:"
    cat "$reports"/*
    echo "FAILED: the sanitizers reported findings (see above)"
    result=1
  fi
  rm -rf "$reports"
  return $result
}

# Each fuzz target for CORVANE_FUZZ_SECONDS (20), from the seeds in
# tests/fuzz/corpus; a crash leaves its input in build-fuzz/fuzz/crashes.
fuzz_runs() {
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCORVANE_FUZZ=ON -DBUILD_TESTING=OFF || return 1
  cmake --build build-fuzz --target corvane_fuzz_targets || return 1
  ctest --test-dir build-fuzz/fuzz --output-on-failure
}

case "${1:-}" in
  run)
    install_missing "${build_packages[@]}"
    build --target corvane
    cd build
    exec ./corvane
    ;;
  test)
    install_missing "${build_packages[@]}" "${test_packages[@]}" "${fuzz_packages[@]}"
    install_node
    build
    run_suite "Tests" ctest --test-dir build --output-on-failure --timeout 300
    run_suite "Tests with AddressSanitizer and UndefinedBehaviorSanitizer" sanitizer_suite
    run_suite "Fuzzing" fuzz_runs
    echo "Suites: build, build-asan, build-fuzz; ctest tests in all:"
    echo "tests: $passed passed, $failed failed"
    exit $status
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
