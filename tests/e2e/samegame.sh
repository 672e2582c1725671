#!/usr/bin/env bash
# The same seed and script give the same game whether graph.dat is built in the run or read from
# the cache: building it draws numbers for the dissolve and magnet frames, which must not shift the
# game's own sequence. A night level with magnets, wind and falling targets, several levels long;
# the state is compared at several ticks, and a recording made while graph.dat was being built
# replays to the same state with graph.dat in place.
source "$(dirname "$0")/common.sh"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

# The shipped scenario's first level draws its pictures at random: the state soon after the start
# shows a shifted sequence.
rm -f graph.dat
{ grep -v '^#' "$root/web/scripts/record.txt" | grep -v screenshot; echo "13 dump main-13.json"
  echo "300 dump main-300.json"; } | sort -s -n -k1,1 > main.txt
"$vor" --headless --seed 5 --ticks 300 --script main.txt || fail "main, built: status $?"
mv main-13.json built-13.json; mv main-300.json built-300.json
"$vor" --headless --seed 5 --ticks 300 --script main.txt || fail "main, cached: status $?"
cmp -s built-13.json main-13.json && cmp -s built-300.json main-300.json ||
  fail "the shipped scenario differs with graph.dat built and cached"

rm -f main.lev graph.dat
cp "$root"/bench/play/bench.txt "$root"/bench/play/bench.list .
"$vor" compile bench.list main.lev > /dev/null || fail "compile: status $?"
ticks=(13 400 1200 2500)
{
  grep -v '^#' "$root/bench/play/play.txt" | awk -v last="${ticks[-1]}" '$1 <= last'
  for t in "${ticks[@]}"; do echo "$t dump at-$t.json"; done
} | sort -s -n -k1,1 > play.txt

run() {  # run NAME [OPTIONS]: the dumps go to NAME/
  mkdir -p "$1"
  "$vor" --headless --seed 1 --ticks "${ticks[-1]}" "${@:2}" || fail "$1: status $?"
  for t in "${ticks[@]}"; do mv "at-$t.json" "$1/"; done
}

run built --script play.txt --record recorded.txt
[ -s graph.dat ] || fail "the first run wrote no graph.dat"
run cached --script play.txt
[ "$(json cached/at-${ticks[-1]}.json Level)" -ge 2 ] || fail "the run did not get past level 1"
for t in "${ticks[@]}"; do
  cmp -s built/at-$t.json cached/at-$t.json ||
    fail "tick $t differs with graph.dat built and cached: $(diff <(tr , '\n' < built/at-$t.json) <(tr , '\n' < cached/at-$t.json) | head -n 6)"
done
# The recording replays with the cache in place.
{ grep -v '^#' recorded.txt; for t in "${ticks[@]}"; do echo "$t dump at-$t.json"; done; } |
  sort -s -n -k1,1 > replay.txt
run replayed --script replay.txt
for t in "${ticks[@]}"; do
  cmp -s built/at-$t.json replayed/at-$t.json || fail "the recording replays differently at tick $t"
done
echo ok
