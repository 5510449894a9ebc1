#!/usr/bin/env bash
# Browser check of the report page: runs quenfit on the example series,
# turns its reports into report.html with `trpfit report --data` (so the
# global fit's section and figure are on it), renders the page in headless
# Chromium and fails when it does not render or a figure is empty (.ci/browser_check.py; it also proves on a copy with one figure
# blanked that it would notice). Where Chromium is missing the check is
# skipped with a message, except under CI, where it fails.
# Uses build/ (./run-tests.sh builds it); builds the two programs if missing.
set -euo pipefail
cd "$(dirname "$0")/.."
chromium=${CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then
  if [ "${CI:-}" = true ]; then
    echo "browser check: no Chromium at $chromium (scripts/deps.sh ci installs it)" >&2
    exit 1
  fi
  echo "browser check skipped: no Chromium at $chromium (scripts/deps.sh ci installs it)"
  exit 0
fi
if [ ! -x build/apps/quenfit ] || [ ! -x build/apps/trpfit ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$(nproc)" --target quenfit trpfit >/dev/null
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
build/apps/quenfit examples/series.dat "$work/Result.txt" "$work/Graph.txt" "$work/Summary.txt" >/dev/null
build/apps/trpfit report --data examples/series.dat "$work" >/dev/null
# The global fit's figure is among those checked.
grep -q 'data-figure="global-fit"' "$work/report.html" || { echo "browser check: the page has no global fit figure" >&2; exit 1; }
echo "== browser check of the example's report page"
python3 .ci/browser_check.py "$chromium" "$work/report.html" --self-test
