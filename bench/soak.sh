#!/usr/bin/env bash
# Soak: the game headless under random input (every key, mouse motion, all buttons, typed
# characters, a lost display now and then), with the resident memory sampled every 50,000 ticks.
#   bench/soak.sh [--sanitize] [TICKS] [SEED]   (default 1000000 ticks, seed 1)
# Release build in build-soak/, or with --sanitize an ASan + UBSan build in build-soak-asan/ (or in
# VOR_SOAK_BUILD, e.g. the tests' build-test/, which saves building everything again).
# Prints the speed, the memory curve (tick:KB) and how often each state came up; fails when the
# memory grew by more than 1 MB over the run after its first 100,000 ticks (not checked under the
# sanitizers, whose allocator keeps freed memory in quarantine).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
sanitize=OFF
if [ "${1:-}" = --sanitize ]; then sanitize=ON; shift; fi
ticks=${1:-1000000}
seed=${2:-1}
if [ $sanitize = ON ]; then
  build=$(realpath -m "${VOR_SOAK_BUILD:-$root/build-soak-asan}")
  if [ -e "$build/CMakeCache.txt" ]; then
    cmake -B "$build" -DVOR_SANITIZE=ON -DVOR_BENCH=ON > /dev/null
  else
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOR_SANITIZE=ON -DVOR_BENCH=ON \
      -DVOR_TESTS=OFF > /dev/null
  fi
  export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
else
  build=$root/build-soak
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVOR_BENCH=ON -DVOR_TESTS=OFF > /dev/null
fi
nice -n 19 cmake --build "$build" --target vor_soak vor_data -j2 > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$build"/data/*; do
  [ "$(basename "$f")" = graph.dat ] || ln -s "$f" "$work/$(basename "$f")"
done
cd "$work"
nice -n 19 "$build/bench/vor_soak" "$ticks" "$seed" | tee soak.out

[ $sanitize = ON ] && exit 0
# Growth after the first level: from the sample at tick 100,000 to the end.
read -r from to < <(grep '^rss_kb' soak.out | tr ' ' '\n' | awk -F: '
  NF == 2 && $1 >= 100000 && !seen { first = $2; seen = 1 } NF == 2 { last = $2 }
  END { print first, last }')
echo "rss growth after tick 100000: $((to - from)) KB"
[ $((to - from)) -le 1024 ] || { echo "memory grew by more than 1 MB" >&2; exit 1; }
