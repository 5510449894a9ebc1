#!/usr/bin/env bash
# Hardening checks:
#  1. the whole test suite built with AddressSanitizer and
#     UndefinedBehaviorSanitizer (no recovery: any report fails a test);
#  2. the libFuzzer targets (clang), each run on its seed corpus and then on
#     arbitrary input: whole runs of both programs on data files for
#     FUZZ_SECONDS (default 60), the readers of trpfit (instrument exports,
#     reports) for TRPFIT_FUZZ_SECONDS each (default 30).
# Exits non-zero on any failing test, sanitizer report or fuzz finding.
# Needs: cmake, make, g++, libgtest-dev, clang (with its libFuzzer runtime,
# libclang-rt-<version>-dev on Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}
trpfit_seconds=${TRPFIT_FUZZ_SECONDS:-30}

echo "== sanitizer build (build-asan)"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQF_SANITIZE=ON -DBUILD_TESTING=ON \
  -DQF_BENCHMARKS=OFF >/dev/null
cmake --build build-asan -j"$jobs"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$jobs"

echo "== fuzz build (build-fuzz, clang)"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQF_SANITIZE=ON -DQF_FUZZ=ON -DQF_BENCHMARKS=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_quenfit fuzz_monofit fuzz_import fuzz_report fuzz_batch fuzz_fit

# fuzz NAME CORPUS SECONDS WHAT [libFuzzer options...]
fuzz() {
  local name=$1 corpus=$2 seconds=$3 what=$4
  shift 4
  echo "== fuzzing $what for ${seconds}s"
  local work
  work=$(mktemp -d)
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$root/fuzz/corpus/$corpus/"* "$work/corpus/"
  if ! (cd "$work" && "$root/build-fuzz/fuzz/$name" \
        -max_total_time="$seconds" -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" \
        -print_final_stats=1 "$@" corpus >"$work/log" 2>&1); then
    tail -n 60 "$work/log"
    echo "fuzz finding in $what; inputs kept in $work/artifacts" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
  rm -rf "$work"
}

# -timeout: under the sanitizers and coverage counters a whole series of
# 30 spectra at 1 nm takes up to about 30 s on a loaded machine; a run that
# takes two minutes is a hang.
for program in quenfit monofit; do
  fuzz "fuzz_$program" "$program" "$fuzz_seconds" "$program" \
    -timeout=120 -max_len=16384 -dict="$root/fuzz/data.dict"
done
# The export reader of trpfit import.
fuzz fuzz_import import "$trpfit_seconds" "the export reader" \
  -timeout=20 -max_len=16384 -dict="$root/fuzz/import.dict"
# The report reader: three reports joined by NUL bytes; whole reports are
# larger than data files, hence the longer inputs.
fuzz fuzz_report report "$trpfit_seconds" "the report reader" \
  -timeout=30 -max_len=65536
# The batch tables (runs.csv of trpfit run --merge, CSV tables) and the
# data-file heads trpfit run reads to choose the program.
fuzz fuzz_batch batch "$trpfit_seconds" "the batch tables" -timeout=10 -max_len=16384
# The global fit on data files of any content: a quick bootstrap per input,
# but a whole series still takes seconds under the sanitizers.
fuzz fuzz_fit fit "$trpfit_seconds" "the global fit" \
  -timeout=120 -max_len=16384 -dict="$root/fuzz/data.dict"
echo "== hardening checks passed"
