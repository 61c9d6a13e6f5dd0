#!/usr/bin/env bash
# Builds Corvane on Debian 12, installing what is missing, then either starts
# it (`./setup.sh run`) or runs every test (`./setup.sh test`).
set -euo pipefail
cd "$(dirname "$0")"

build_packages=(g++ cmake ninja-build qt6-base-dev)
# Real peers and a virtual display for the tests that drive the program from outside.
test_packages=(python3-hl7 xvfb xauth xdotool)

install_missing() {
  local missing=()
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq "${missing[@]}"
}

build() {
  cmake -S . -B build -G Ninja
  cmake --build build
}

case "${1:-}" in
  run)
    install_missing "${build_packages[@]}"
    build
    exec build/corvane
    ;;
  test)
    install_missing "${build_packages[@]}" "${test_packages[@]}"
    build
    ctest --test-dir build --output-on-failure --timeout 300
    ;;
  *)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
