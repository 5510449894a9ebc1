#!/usr/bin/env bash
# Builds the offline page build-web/trpfit.html: the analysis, the import and
# the report page compiled to WebAssembly with Debian's Emscripten, put
# together with the page's scripts into one self-contained file that works
# opened from disk, without a server and without a network.
#
#   scripts/build-web.sh          installs what is missing (scripts/deps.sh web),
#                                 configures build-web/ and builds the page
#   JOBS=N scripts/build-web.sh   parallel compile jobs (default 2)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/deps.sh web

# Debian's Emscripten runs its JavaScript tools with the node on PATH; their
# modules (acorn) lie in /usr/share/nodejs, where a Node.js installed from
# elsewhere does not look by itself.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

emcmake cmake -S web -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"${JOBS:-2}"

page=build-web/trpfit.html
echo "built $page ($(wc -c <"$page") bytes, $(gzip -9 -c "$page" | wc -c) gzipped)"
