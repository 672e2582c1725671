#!/usr/bin/env bash
# Quick presses and the name entry, headless: a key or button pressed and released within one tick
# acts once, taps on following ticks each act, a lost game reaches the name entry by such clicks
# alone, a name keeps the blank between its words, a script's Enter key ends the entry, and the
# recording of it all replays to the same state.
source "$(dirname "$0")/common.sh"

rm -f main.tbl
# Building graph.dat draws random numbers: built first, it leaves the recorded run and its replay
# alike.
"$vor" --headless --ticks 2 || fail "the first start: status $?"
# selected FILE: the text of the selected menu line of a state dump.
selected() { grep -o '{"Text":"[^"]*","Visible":1,"Selected":1}' "$1" | head -n 1 | cut -d'"' -f4; }
# tap TICK KEY: the key pressed and released within the tick.
tap() { echo "$1 key $2 down"; echo "$1 key $2 up"; }

{
  tap 12 Down  # two taps on following ticks: two steps down
  tap 13 Down
  echo "16 dump down.json"
  tap 18 Up
  tap 19 Up
  echo "22 dump up.json"
  tap 24 Enter  # New game
  # With mouse control a click launches the waiting sight and the next one shoots it where it
  # starts, so every second click misses. Clicks after the game is over leave its screen.
  for t in $(seq 40 6 400); do
    echo "$t button 0 down"
    echo "$t button 0 up"
  done
  echo "410 dump entering.json"
  echo "412 char 32  # a leading blank is dropped"
  echo "414 text Newbie"
  echo "421 char 32"
  echo "422 char 198  # cp1251 letters"
  echo "423 char 243"
  echo "424 char 234"
  echo "425 char 65  # an eleventh character"
  echo "426 dump typed.json"
  tap 428 Enter
  echo "430 dump saved.json"
} > play.txt
"$vor" --headless --seed 3 --ticks 440 --script play.txt --record rec.txt --dump-state end.json ||
  fail "the game: status $?"

first=$(selected up.json)
[ "$first" = "New game" ] || fail "two taps down and two up did not come back to New game: $first"
grep -o '"MenuLines":\[[^]]*' down.json | grep -o '"Selected":[01]' | head -n 3 | tr -d '\n' |
  grep -q '"Selected":0"Selected":0"Selected":1' ||
  fail "two taps did not step twice: $(grep -o '"MenuLines":\[[^]]*' down.json)"
[ "$(json entering.json State)" = 9 ] || fail "clicks within a tick did not end the game"
grep -q '"RecordEntry":{"used":1,"name":"Newbie Жук"' typed.json ||
  fail "typed name: $(grep -o '"RecordEntry":{[^}]*' typed.json)"
[ "$(json saved.json State)" = 10 ] || fail "the script's Enter did not end the name entry"
grep -q '"Records":\[[^]]*"name":"Newbie Жук"' saved.json ||
  fail "the table lacks the name: $(grep -o '"Records":[^]]*' saved.json)"
grep -aq "Newbie $(printf '\306\363\352')" main.tbl || fail "main.tbl lacks the name with its blank"

# The recording replays to the same end.
rm -f main.tbl
"$vor" --headless --seed 3 --ticks 440 --script rec.txt --dump-state replay.json ||
  fail "the replay: status $?"
cmp -s end.json replay.json || fail "the replayed recording ends in another state"
echo ok
