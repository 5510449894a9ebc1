#!/usr/bin/env bash
# The offline page: builds build-web/trpfit.html (scripts/build-web.sh),
# installs the browser-test tooling from the lock file (puppeteer-core only;
# it drives Debian's Chromium and downloads no browser), runs the browser
# tests against the native programs in build/ (and the rows of the native
# bad-input suite) and a short benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build-web.sh
# The native programs to compare with, and the tool that writes the data
# files of the native bad-input suite's rows.
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build build -j"$(nproc)" --target quenfit monofit trpfit bad_input_files >/dev/null
if ! command -v npm >/dev/null 2>&1; then
  echo "web check: npm is missing (it comes with Node.js)" >&2
  exit 1
fi
cd tests/browser
PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund --silent
echo "== browser tests of the offline page"
node run-tests.mjs
echo "== benchmark of the offline page"
node bench.mjs --runs 2
