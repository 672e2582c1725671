#!/usr/bin/env bash
# A finger through scripts: in the menus it points and taps, in play it steers and shoots as the
# mouse does (under either control type), on the result screens a tap goes on; a touch game is
# recorded and replays the same.
source "$(dirname "$0")/common.sh"
# tap TICK X Y: a quick tap, down and up in one tick.
tap() { echo "$1 finger down $2 $3"; echo "$1 finger up"; }
# state FILE: the dump without its tick, to compare two runs that differ only in their input.
state() { sed 's/"Tick":[0-9]*,//' "$1"; }
# "New game" is the menu's first line, from (200, 200).
new_game() { tap 10 230 210; }

# A quick tap on "New game" starts the game; the next launches the sight under mouse control.
{ new_game; echo "12 dump started.json"; tap 60 400 300; echo "62 dump launched.json"; } > start.txt
"$vor" --headless --seed 2 --ticks 63 --script start.txt || fail "tap: status $?"
[ "$(json started.json State)" = 3 ] || fail "a tap on New game did not start: $(json started.json State)"
[ "$(json launched.json SightActive)" = 1 ] || fail "a tap in play did not launch the sight"

# A drag in the menu takes the pointer along and chooses nothing.
{ echo "10 finger down 230 210"; echo "11 finger move 520 460"; echo "12 finger up"
  echo "14 dump dragged.json"; } > drag.txt
"$vor" --headless --seed 2 --ticks 15 --script drag.txt || fail "menu drag: status $?"
[ "$(json dragged.json State)" = 2 ] && [ "$(json dragged.json PointerX)" = 520 ] &&
  [ "$(json dragged.json PointerY)" = 460 ] ||
  fail "a drag in the menu: State $(json dragged.json State) at $(json dragged.json PointerX),$(json dragged.json PointerY)"

# Mouse control: a finger's drags and taps give the state the mouse's motion and clicks give,
# taps in two following ticks included.
{
  new_game; tap 60 400 300
  echo "70 finger down 400 300"
  for t in $(seq 71 100); do echo "$t finger move $((400 + 7 * (t - 70))) $((300 - 5 * (t - 70)))"; done
  echo "101 finger up"
  tap 110 10 10; tap 111 10 10; tap 130 10 10
  echo "140 dump m-touch.json"
} > m-touch.txt
{
  new_game; tap 60 400 300
  for t in $(seq 71 100); do echo "$t mouse 7 -5"; done
  for t in 110 111 130; do echo "$t button 0 down"; echo "$t button 0 up"; done
  echo "140 dump m-mouse.json"
} > m-mouse.txt
"$vor" --headless --seed 4 --ticks 141 --script m-touch.txt --record rec.txt --dump-state a.json ||
  fail "touch, mouse control: status $?"
"$vor" --headless --seed 4 --ticks 141 --script m-mouse.txt || fail "mouse: status $?"
[ "$(state m-touch.json)" = "$(state m-mouse.json)" ] || fail "the finger did not play as the mouse"
[ "$(json m-touch.json SightX)" != 400 ] || fail "the drag did not move the sight"

# The recording holds the finger and replays to the same state.
grep -q '^70 finger down 400 300$' rec.txt && grep -q '^101 finger up$' rec.txt ||
  fail "the recording lacks the finger"
"$vor" --headless --seed 4 --ticks 141 --script rec.txt --dump-state b.json || fail "replay: status $?"
cmp -s a.json b.json || fail "the recorded touch game replays to another state"

# Keyboard control: the finger still steers and shoots; the mouse does neither. (A shot puts the
# sight back in its corner, so the steering shows before the shots.)
{ new_game; tap 60 400 300; } > k-still-input.txt
for input in touch mouse still; do
  src=m-$input.txt
  [ $input = still ] && src=k-still-input.txt
  { echo "# vor-setting control_type=keyboard"; sed '/dump/d' $src
    echo "105 dump k-$input-105.json"; echo "140 dump k-$input.json"; } > k-$input.txt
  "$vor" --headless --seed 4 --ticks 141 --script k-$input.txt || fail "$input, keyboard control: status $?"
done
[ "$(json k-touch.json ControlType)" = 0 ] || fail "keyboard control was not chosen"
[ "$(json k-touch-105.json SightX)" != "$(json k-still-105.json SightX)" ] ||
  fail "the finger did not steer under keyboard control"
[ "$(json k-touch.json Bullets)" -lt "$(json k-still.json Bullets)" ] ||
  fail "taps did not shoot under keyboard control"
[ "$(state k-mouse.json)" = "$(state k-still.json)" ] || fail "the mouse acted under keyboard control"

# A game lost by tapping: a tap leaves the result screen, the name is typed, and a tap leaves the
# table of records.
rm -f main.tbl
{
  new_game
  for t in $(seq 40 6 400); do tap "$t" 400 300; done
  echo "410 dump entering.json"
  echo "420 text TOUCH"; echo "430 key Enter down"; echo "431 key Enter up"
  echo "440 dump records.json"
  tap 450 400 300
  echo "455 dump back.json"
} > lose.txt
"$vor" --headless --seed 3 --ticks 456 --script lose.txt || fail "touch game: status $?"
[ "$(json entering.json State)" = 9 ] || fail "taps did not reach the name entry: $(json entering.json State)"
[ "$(json records.json State)" = 10 ] && grep -q '"name":"TOUCH     "' records.json ||
  fail "the name did not reach the table"
[ "$(json back.json State)" = 2 ] || fail "a tap did not leave the table of records"

# Malformed finger lines are refused like any other.
for bad in '3 finger sideways 1 2' '3 finger down 1' '3 finger up 4 5' '3 finger move 1 2147483648'; do
  echo "$bad" > bad.txt
  set +e
  "$vor" --headless --script bad.txt 2> err.txt
  s=$?
  set -e
  [ $s = 2 ] && grep -q 'bad.txt:1:' err.txt || fail "'$bad': status $s"
done
echo ok
