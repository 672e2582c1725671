#!/usr/bin/env bash
# Runs the browser tests against the site in build-web/ (made by ./web.sh), comparing frames with
# the native game: web/tests/run.sh NATIVE_VOR NATIVE_DATA_FOLDER
set -euo pipefail
cd "$(dirname "$0")/../.."
npm_dir=build-emcc/npm
puppeteer_version=24.10.2
if [ ! -f "$npm_dir/node_modules/puppeteer-core/package.json" ] ||
   ! grep -q "\"version\": \"$puppeteer_version\"" "$npm_dir/node_modules/puppeteer-core/package.json"; then
  mkdir -p "$npm_dir"
  # --ignore-scripts: the driver only; the browser is Debian's chromium.
  (cd "$npm_dir" && npm install --no-audit --no-fund --ignore-scripts --silent \
     "puppeteer-core@$puppeteer_version")
fi
export VOR_NATIVE=$(realpath "$1") VOR_NATIVE_DATA=$(realpath "$2")
export VOR_NODE_MODULES=$npm_dir/node_modules
exec node --test --test-concurrency=1 web/tests/
