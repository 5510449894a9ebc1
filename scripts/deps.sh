#!/usr/bin/env bash
# The Debian packages each task needs, kept in one place, and their install.
#
#   scripts/deps.sh example   compiler, CMake and the header libraries of the programs
#   scripts/deps.sh tests     the above and GoogleTest, Google Benchmark
#   scripts/deps.sh ci        the above and clang with its sanitizer and fuzzer
#                             runtime, Chromium for the figure check, python3
#   scripts/deps.sh web       the offline page: Emscripten (with the acorn and
#                             Node.js it runs on), CMake, and Chromium for its
#                             browser tests (their npm comes with Node.js)
#   scripts/deps.sh --list TASK   prints the packages and installs nothing
#
# Installs only what is missing: as root directly, otherwise through sudo.
# Where neither works it names the packages and the command, and exits 1.
set -euo pipefail

task=${1:-}
list_only=0
if [ "$task" = "--list" ]; then
  list_only=1
  task=${2:-}
fi

example=(cmake g++ make libcli11-dev libeigen3-dev)
tests=("${example[@]}" libgtest-dev libgmock-dev libbenchmark-dev libexpat1-dev)
ci=("${tests[@]}" clang libclang-rt-14-dev chromium fonts-dejavu-core python3)
web=(cmake emscripten node-acorn chromium)

case "$task" in
  example) packages=("${example[@]}") ;;
  tests) packages=("${tests[@]}") ;;
  ci) packages=("${ci[@]}") ;;
  web) packages=("${web[@]}") ;;
  *) echo "usage: scripts/deps.sh [--list] example|tests|ci|web" >&2; exit 2 ;;
esac

if [ "$list_only" = 1 ]; then
  echo "${packages[*]}"
  exit 0
fi

if ! command -v dpkg-query >/dev/null 2>&1 || ! command -v apt-get >/dev/null 2>&1; then
  # Not a Debian-like system: say what is needed and let the build find it.
  echo "deps: not a Debian-like system; make sure these (or their equivalents) are installed: ${packages[*]}" >&2
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  case "$status" in
    *" installed") ;;
    *) missing+=("$p") ;;
  esac
done
[ ${#missing[@]} -eq 0 ] && exit 0

# Runs apt-get through the given prefix (nothing, or sudo with its options).
install_with() {
  echo "deps: installing ${missing[*]}" >&2
  "$@" apt-get update -qq &&
    "$@" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

refuse() {
  echo "deps: missing Debian packages ${missing[*]}; install them as root with: apt-get install ${missing[*]}" >&2
  exit 1
}

if [ "$(id -u)" = 0 ]; then
  install_with || refuse
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  install_with sudo -n || refuse
elif command -v sudo >/dev/null 2>&1 && [ -t 0 ]; then
  # sudo asks for the password on the terminal.
  install_with sudo || refuse
else
  refuse
fi
