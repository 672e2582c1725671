#!/usr/bin/env bash
# The game core alone: the program built with no window backend links no SDL (nor any library of a
# window or a sound device), and plays a recorded game headless to the same state and frame as the
# program with its window backend.
source "$(dirname "$0")/common.sh"
core=$(realpath "$3")
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

if ldd "$core" | grep -Ei 'libSDL|libX11|libwayland|libasound|libpulse'; then
  fail "the core program links a window or sound library"
fi

rm -f main.lev graph.dat
cp "$root"/bench/play/bench.txt "$root"/bench/play/bench.list .
"$vor" compile bench.list main.lev > /dev/null || fail "compile: status $?"
grep -v '^#' "$root/bench/play/play.txt" | awk '$1 <= 1500' > play.txt
for prog in "$vor" "$core"; do
  "$prog" --headless --seed 3 --ticks 1500 --script play.txt --dump-state "end-$(basename "$prog").json" \
    --screenshot "end-$(basename "$prog").png" || fail "$prog: status $?"
done
cmp -s "end-$(basename "$vor").json" "end-$(basename "$core").json" || fail "the end states differ"
cmp -s "end-$(basename "$vor").png" "end-$(basename "$core").png" || fail "the last frames differ"
[ "$(json "end-$(basename "$core").json" Level)" -ge 2 ] || fail "the run did not get past level 1"

# Asked for a window, it says it has none.
out=$("$core" --window 2>&1) && fail "a window was opened"
grep -q "shows no window" <<<"$out" || fail "no word on the missing window: $out"
echo ok
