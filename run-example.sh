#!/usr/bin/env bash
# Installs what the programs need (Debian packages, see scripts/deps.sh),
# builds them and analyses the bundled example quenching series and example
# spectrum. The reports go to out/ with their report page out/report.html;
# the summary report is printed.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh example
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target quenfit monofit trpfit >/dev/null
mkdir -p out
./build/apps/quenfit examples/series.dat out/Result.txt out/Graph.txt out/Summary.txt
./build/apps/monofit examples/single.dat out/ResultM.txt out/GraphM.txt out/SummaryM.txt
echo "quenfit reports: out/Result.txt out/Graph.txt out/Summary.txt"
echo "monofit reports: out/ResultM.txt out/GraphM.txt out/SummaryM.txt"
# The report pages (figures and tables beside them); --force: they belong
# to the reports just written.
./build/apps/trpfit report --force out/Result.txt out/Graph.txt out/Summary.txt >/dev/null
./build/apps/trpfit report --force -o out/monofit out/ResultM.txt out/GraphM.txt out/SummaryM.txt >/dev/null
echo "report page: out/report.html (monofit: out/monofit/report.html)"
echo
echo "== out/Summary.txt =="
cat out/Summary.txt
