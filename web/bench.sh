#!/usr/bin/env bash
# The web figures of the README, after ./web.sh and with the browser tests' driver installed
# (web/tests/run.sh installs it): web/bench.sh [RUNS]
set -euo pipefail
cd "$(dirname "$0")/.."
export VOR_NODE_MODULES=build-emcc/npm/node_modules VOR_BENCH_RUNS=${1:-3}
exec node web/bench.mjs
