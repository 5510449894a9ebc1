#!/usr/bin/env bash
# Installs what the tests need (Debian packages, see scripts/deps.sh), builds
# everything with warnings as errors and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh tests
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DQF_WERROR=ON -DBUILD_TESTING=ON -DQF_BENCHMARKS=ON >/dev/null
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
