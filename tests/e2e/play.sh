#!/usr/bin/env bash
# Playing a small scenario from the main menu with mouse clicks: every required target hit (one
# dead centre) clears level 1, level 2 follows and its last target wins the game with the score
# settled; a second game misses until the game-over screen. Screenshots of play, game over and
# win are kept in $VOR_E2E_SHOTS when that is set.
levels="$(realpath "$(dirname "$0")")/levels"
source "$(dirname "$0")/common.sh"

# The test scenario becomes main.lev, the scenario the main menu starts.
cp "$levels"/play1.txt "$levels"/play2.txt "$levels"/play.list .
rm -f main.lev main.tbl
"$vor" compile play.list main.lev || fail "compile: status $?"

# click T: the left button pressed at tick T, released at T + 1.
click() { echo "$1 button 0 down"; echo "$(($1 + 1)) button 0 up"; }
# target FILE SLOT KEY: a field of target slot (1..10) in a state dump.
target() { grep -o '"Targets":\[.*' "$1" | grep -o '{[^}]*}' | sed -n "${2}p" |
  grep -o "\"$3\":-\?[0-9.]*" | cut -d: -f2; }
expect() { [ "$(json "$1" "$2")" = "$3" ] || fail "$1: $2 is $(json "$1" "$2"), not $3"; }
# sounds FILE: how often each of the sounds 0..4 was played, as "a b c d e".
sounds() { grep -o '"SoundsPlayed":\[[^]]*\]' "$1" | grep -o '[0-9,]*' | tr ',' ' '; }

# A click launches the waiting sight; unsteered it flies one pixel right and up a frame, so a
# click n ticks later shoots at (15 + n, 560 - n).
{
  echo "10 key Enter down  # New game"
  echo "11 key Enter up"
  click 20
  click 120  # T1 at (115, 460): dead centre
  echo "124 screenshot play-hit.png"
  echo "125 dump hit1.json"
  click 130
  click 320  # T2 at (215, 360), 10 frames short: a hit off centre
  echo "323 dump hit2.json"
  echo "335 dump done.json"
  echo "336 screenshot level-done.png"
  echo "370 dump level2.json"
  echo "372 screenshot play-level2.png"
  click 380
  click 530  # level 2's T1 at (165, 410)
  echo "575 screenshot win.png"
  echo "600 dump won.json"
  echo "660 screenshot win-burst.png"
  echo "701 dump win-later.json"
} > win.txt
"$vor" --headless --seed 11 --ticks 710 --script win.txt || fail "the won game: status $?"

expect hit1.json State 3
expect hit1.json TargetsHit 1
expect hit1.json Medals 1
expect hit1.json HitStreak 1
[ "$(target hit1.json 1 TYPE)" = 6 ] || fail "the hit target is not falling"
# The menu's Enter played the selection sound; the hit its own; the points are being counted in
# with the tick, once a frame; nothing missed and no bonus ran out.
read -r s0 s1 s2 s3 s4 <<< "$(sounds hit1.json)"
[ "$s0" = 1 ] && [ "$s1" -ge 1 ] && [ "$s2" -ge 1 ] && [ "$s3" = 0 ] && [ "$s4" = 0 ] ||
  fail "sounds after the first hit: $s0 $s1 $s2 $s3 $s4"
expect hit2.json TargetsHit 2
expect hit2.json Medals 1
expect hit2.json Misses 0
expect hit2.json Bullets 7
expect done.json State 5
expect level2.json State 3
expect level2.json Level 2
grep -q '"LevelName":"Test range two"' level2.json || fail "level 2 has another name"
expect level2.json Bullets 7
# Level 1: 350 + 250 for the hits, 7 x 25 + 1000 for the level, all counted in by now.
expect level2.json Score 1775
expect level2.json PendingScore 0

expect won.json State 7
# Level 2: 350 for the centre hit, a bullet for the even level and 8 x 25 + 1000; the win adds
# 10000 + 8 x 250, all settled at once.
expect won.json Score $((1775 + 350 + 1200 + 12000))
expect won.json PendingScore 0
expect won.json Bullets 8
grep -q '"RecordEntry":{"used":1,"name":"          ","score":15325,"targets":3,"medals":2,"levels":2,"won":1,"difficulty":0,"misses":0}' won.json ||
  fail "the result row: $(grep -o '"RecordEntry":{[^}]*}' won.json)"
expect win-later.json State 7
expect win-later.json Score 15325

# Shots at the start miss: a launch and a shot every 12 ticks, the eighth miss ends the game.
{
  echo "10 key Enter down  # New game"
  echo "11 key Enter up"
  for t in $(seq 20 6 110); do click "$t"; done
  echo "105 dump last-bullet.json"
  echo "150 dump over.json"
  echo "160 screenshot game-over.png"
} > lose.txt
"$vor" --headless --seed 12 --ticks 170 --script lose.txt || fail "the lost game: status $?"
expect last-bullet.json State 3
expect last-bullet.json Bullets 0
expect last-bullet.json Misses 7
expect over.json State 8
expect over.json Bullets -1
expect over.json Misses 8
expect over.json Score 0
read -r s0 s1 s2 s3 s4 <<< "$(sounds over.json)"
[ "$s0" = 0 ] && [ "$s2" = 0 ] && [ "$s3" = 8 ] || fail "sounds of eight misses: $s0 $s1 $s2 $s3 $s4"
grep -q '"RecordEntry":{"used":1,"name":"          ","score":0,"targets":0,"medals":0,"levels":1,"won":0,"difficulty":0,"misses":8}' over.json ||
  fail "the result row: $(grep -o '"RecordEntry":{[^}]*}' over.json)"

for f in play-hit.png level-done.png play-level2.png win.png win-burst.png game-over.png; do
  [ -s "$f" ] || fail "no screenshot $f"
done
if [ -n "${VOR_E2E_SHOTS:-}" ]; then
  mkdir -p "$VOR_E2E_SHOTS"
  cp ./*.png "$VOR_E2E_SHOTS"/
fi
echo ok
