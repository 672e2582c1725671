#!/usr/bin/env bash
# The game pad through scripts: it speaks the keys and the mouse the game already reads, as the
# screen and the control type ask, and a game is played to the table of records with the pad alone.
source "$(dirname "$0")/common.sh"
press() { echo "$1 pad $2 down"; echo "$(($1 + 1)) pad $2 up"; }
# state FILE: the dump without its tick, to compare two runs that differ only in their input.
state() { sed 's/"Tick":[0-9]*,//' "$1"; }

# A twice from the main menu: "New game", then the sight launches under mouse control.
{ press 10 a; press 60 a; echo "62 dump launched.json"; } > launch.txt
"$vor" --headless --seed 2 --ticks 63 --script launch.txt || fail "pad a: status $?"
[ "$(json launched.json State)" = 3 ] && [ "$(json launched.json ControlType)" = 1 ] &&
  [ "$(json launched.json SightActive)" = 1 ] || fail "pad a twice did not start and launch"

# B in the main menu is Escape: the program ends.
{ press 5 b; } > quit.txt
"$vor" --headless --ticks 1000 --script quit.txt --dump-state quit.json || fail "pad b: status $?"
[ "$(json quit.json Tick)" -lt 10 ] || fail "pad b did not leave the main menu"

# Keyboard control chosen with the D-pad and A, then a game: the stick held right and up steers
# as the held arrows do, to the same state.
{
  for t in 10 13 16 19; do press $t dpdown; done
  press 25 a
  for t in 30 33 36 39; do press $t dpup; done
  press 45 a
} > kb-menu.txt
{ cat kb-menu.txt; echo "60 axis leftx 32767"; echo "61 axis lefty -20000"; echo "100 axis leftx 0"
  echo "100 axis lefty 0"; echo "110 dump kb-stick.json"; } > kb-stick.txt
{ cat kb-menu.txt; echo "60 key Right down"; echo "61 key Up down"; echo "100 key Right up"
  echo "100 key Up up"; echo "110 dump kb-keys.json"; } > kb-keys.txt
"$vor" --headless --seed 4 --ticks 111 --script kb-stick.txt || fail "stick, keyboard: status $?"
"$vor" --headless --seed 4 --ticks 111 --script kb-keys.txt || fail "arrows: status $?"
[ "$(json kb-keys.json ControlType)" = 0 ] && [ "$(json kb-keys.json SightActive)" = 1 ] ||
  fail "the D-pad and A did not choose keyboard control and start"
[ "$(state kb-stick.json)" = "$(state kb-keys.json)" ] || fail "the stick did not steer as the arrows"

# Mouse control: the stick at full deflection moves as the mouse by 30 counts a tick.
{ press 10 a; echo "60 axis leftx 32767"; echo "60 axis lefty -32768"; echo "90 axis leftx 0"
  echo "90 axis lefty 0"; echo "95 dump m-stick.json"; } > m-stick.txt
{ press 10 a; for t in $(seq 60 89); do echo "$t mouse 30 -30"; done; echo "95 dump m-mouse.json"; } > m-mouse.txt
"$vor" --headless --seed 4 --ticks 96 --script m-stick.txt || fail "stick, mouse: status $?"
"$vor" --headless --seed 4 --ticks 96 --script m-mouse.txt || fail "mouse: status $?"
[ "$(json m-mouse.json SightActive)" = 1 ] || fail "the mouse did not launch the sight"
[ "$(state m-stick.json)" = "$(state m-mouse.json)" ] || fail "the stick did not steer as the mouse"

# A lost game with the pad alone: A shoots until the game is over, A leaves the result screen,
# the name is spelt with Up/Down, A/Right take a letter, B/Left delete, a held Up repeats, Start
# commits.
rm -f main.tbl
{
  press 10 a
  for t in $(seq 40 6 400); do press $t a; done
  echo "410 dump entering.json"
  press 420 dpup; press 422 a                   # A
  press 424 dpup; press 426 dpup; press 428 dpright  # AB
  press 430 dpdown; press 432 b                 # Z deleted
  echo "434 axis lefty -32768"; echo "435 axis lefty 0"; press 436 dpleft  # A deleted
  echo "440 pad dpup down"; echo "457 pad dpup up"  # A, then B and C by repeat
  press 460 start
  echo "465 dump saved.json"
} > name.txt
"$vor" --headless --seed 3 --ticks 470 --script name.txt --record rec.txt --dump-state a.json ||
  fail "the pad game: status $?"
[ "$(json entering.json State)" = 9 ] || fail "the pad game did not reach the name entry"
[ "$(json saved.json State)" = 10 ] || fail "Start did not commit the name"
grep -q '{"used":1,"name":"ABC       "' saved.json ||
  fail "the table lacks ABC: $(grep -o '"Records":[^]]*' saved.json)"
grep -q '^440 pad dpup down$' rec.txt && grep -q '^434 axis lefty -32768$' rec.txt ||
  fail "the recording lacks the pad events"
rm -f main.tbl
"$vor" --headless --seed 3 --ticks 470 --script rec.txt --dump-state b.json || fail "replay: status $?"
cmp -s a.json b.json || fail "the recorded pad game replays to another state"

# Malformed pad lines are refused like any other.
set +e
printf '3 pad z down\n' > bad1.txt; "$vor" --headless --script bad1.txt 2> e1; s1=$?
printf '3 axis leftx 40000\n' > bad2.txt; "$vor" --headless --script bad2.txt 2> e2; s2=$?
set -e
[ $s1 = 2 ] && grep -q 'bad1.txt:1:' e1 || fail "an unknown pad button: status $s1"
[ $s2 = 2 ] && grep -q 'bad2.txt:1:' e2 || fail "an axis value out of range: status $s2"
echo ok
