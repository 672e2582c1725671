#!/usr/bin/env bash
# The cost of a tick of real play: a night level with a swinging background, three magnets and ten
# moving targets, shot at for 8000 ticks (49 centre hits, falling targets, nine levels), headless.
#   bench/play_bench.sh [BUILD_DIR]   (default build-play-bench, a Release build made if needed)
# Prints the game's bench line: mean, median, p99 and max of a tick's work in milliseconds.
# bench/play/make_script.py remakes play.txt when the level or the rules change.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${1:-$root/build-play-bench}")
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DVOR_TESTS=OFF > /dev/null
cmake --build "$build" --target vor vor_data -j2 > /dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for f in "$build"/data/*; do
  [ "$(basename "$f")" = main.lev ] || ln -s "$f" "$work/$(basename "$f")"
done
cp "$root"/bench/play/bench.txt "$root"/bench/play/bench.list "$work"/
cd "$work"
"$build/vor" compile bench.list main.lev
"$build/vor" --headless --seed 1 --ticks 8001 --script "$root/bench/play/play.txt" --bench

# The run must have measured play: still playing at the end, with targets hit on the way.
state=$(grep -o '"State":[0-9]*' bench-end.json | head -n 1 | cut -d: -f2)
hits=$(grep -o '"TargetsHit":[0-9]*' bench-end.json | head -n 1 | cut -d: -f2)
[ "$state" = 3 ] && [ "$hits" -gt 0 ] ||
  { echo "the benchmark did not play as meant (state $state, $hits hits): remake play.txt" >&2; exit 1; }
echo "play: $hits targets hit, still playing after 8000 ticks"
