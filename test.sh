#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UBSan, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh test
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DVOR_SANITIZE=ON -DVOR_TESTS=ON > /dev/null
cmake --build build-test -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
# The page in headless Chromium, its frames compared with the native game's (VOR_WEB_TESTS=0 skips
# the web build and these tests).
if [ "${VOR_WEB_TESTS:-1}" != 0 ]; then
  ./web.sh
  web/tests/run.sh build/vor build/data
fi
if [ -x tests/fuzz/run.sh ]; then
  tests/fuzz/run.sh 5
fi
