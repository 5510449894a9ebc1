#!/usr/bin/env bash
# Hardening checks:
#  1. the whole test suite built with AddressSanitizer and
#     UndefinedBehaviorSanitizer (no recovery: any report fails a test);
#  2. the libFuzzer targets (clang), each run on the seed corpus and then
#     for FUZZ_SECONDS (default 60) on arbitrary data files, and the report
#     reader for REPORT_FUZZ_SECONDS (default 30) on arbitrary reports.
# Exits non-zero on any failing test, sanitizer report or fuzz finding.
# Needs: cmake, make, g++, libgtest-dev, clang (with its libFuzzer runtime,
# libclang-rt-<version>-dev on Debian 12).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc)
fuzz_seconds=${FUZZ_SECONDS:-60}

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
cmake --build build-fuzz -j"$jobs" --target fuzz_quenfit fuzz_monofit fuzz_report

for program in quenfit monofit; do
  echo "== fuzzing $program for ${fuzz_seconds}s"
  work=$(mktemp -d)
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$root/fuzz/corpus/$program/"* "$work/corpus/"
  # -timeout: under the sanitizers and coverage counters a whole series of
  # 30 spectra at 1 nm takes up to about 30 s on a loaded machine; a run that
  # takes two minutes is a hang.
  if ! (cd "$work" && "$root/build-fuzz/fuzz/fuzz_$program" \
        -max_total_time="$fuzz_seconds" -timeout=120 -rss_limit_mb=2048 -max_len=16384 \
        -dict="$root/fuzz/data.dict" -artifact_prefix="$work/artifacts/" \
        -print_final_stats=1 corpus >"$work/log" 2>&1); then
    tail -n 60 "$work/log"
    echo "fuzz finding in $program; inputs kept in $work/artifacts" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
  rm -rf "$work"
done
# The report reader: three reports joined by NUL bytes; whole reports are
# larger than data files, hence the longer inputs.
report_seconds=${REPORT_FUZZ_SECONDS:-30}
echo "== fuzzing the report reader for ${report_seconds}s"
work=$(mktemp -d)
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root/fuzz/corpus/report/"* "$work/corpus/"
if ! (cd "$work" && "$root/build-fuzz/fuzz/fuzz_report" \
      -max_total_time="$report_seconds" -timeout=30 -rss_limit_mb=2048 -max_len=65536 \
      -artifact_prefix="$work/artifacts/" -print_final_stats=1 corpus >"$work/log" 2>&1); then
  tail -n 60 "$work/log"
  echo "fuzz finding in the report reader; inputs kept in $work/artifacts" >&2
  exit 1
fi
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
rm -rf "$work"
# The batch tables (runs.csv of trpfit run --merge, CSV tables) and the
# data-file heads trpfit run reads to choose the program.
batch_seconds=${BATCH_FUZZ_SECONDS:-30}
cmake --build build-fuzz -j"$jobs" --target fuzz_batch
echo "== fuzzing the batch tables for ${batch_seconds}s"
work=$(mktemp -d)
mkdir -p "$work/corpus" "$work/artifacts"
cp "$root/fuzz/corpus/batch/"* "$work/corpus/"
if ! (cd "$work" && "$root/build-fuzz/fuzz/fuzz_batch" \
      -max_total_time="$batch_seconds" -timeout=10 -rss_limit_mb=2048 -max_len=16384 \
      -artifact_prefix="$work/artifacts/" -print_final_stats=1 corpus >"$work/log" 2>&1); then
  tail -n 60 "$work/log"
  echo "fuzz finding in the batch tables; inputs kept in $work/artifacts" >&2
  exit 1
fi
grep -E '^(#[0-9]+.*DONE|stat::number_of_executed_units|stat::peak_rss_mb)' "$work/log" || true
rm -rf "$work"
echo "== hardening checks passed"
