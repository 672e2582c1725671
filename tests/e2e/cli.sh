#!/usr/bin/env bash
# The command line, options, scripts, dumps and recordings of the real program, headless.
source "$(dirname "$0")/common.sh"

# Three or more parameters end at once without opening the display.
env -u DISPLAY -u WAYLAND_DISPLAY "$vor" a b c || fail "three parameters: status $?"
[ ! -e err.txt ] || fail "three parameters wrote err.txt"

set +e
"$vor" --bogus 2> err1; s1=$?
"$vor" --ticks 2> err2; s2=$?
printf '1 key Up down\n5 kee Escape down\n' > bad.txt
"$vor" --headless --script bad.txt 2> err3; s3=$?
"$vor" --headless --script missing.txt 2> err4; s4=$?
"$vor" --headless --scale wide 2> err6; s6=$?
set -e
[ $s6 -eq 2 ] && grep -q -- "--scale needs sharp or integer, not 'wide'" err6 || fail "bad --scale: status $s6, $(cat err6)"
[ $s1 -eq 2 ] && grep -q -- --bogus err1 || fail "unknown option: status $s1, $(cat err1)"
[ $s2 -eq 2 ] && grep -q -- --ticks err2 || fail "option without value: status $s2"
[ $s3 -eq 2 ] && grep -q 'bad.txt:2:' err3 || fail "malformed script line: status $s3, $(cat err3)"
[ $s4 -eq 2 ] || fail "missing script: status $s4"

# --help and --version print and exit at once, whatever else is on the line.
"$vor" --help a b > help.txt || fail "--help: status $?"
head -n 1 help.txt | grep -q '^Usage: vor' || fail "--help: $(head -n 1 help.txt)"
for item in compile plimb --window --scale --headless --script --help --version; do
  grep -q "^  $item" help.txt || fail "--help lacks $item"
done
"$vor" --version | grep -qx 'vor [0-9]*\.[0-9]*\.[0-9]*' || fail "--version: $("$vor" --version)"

# Ticks no run reaches and numbers that do not fit: one line on stderr, status 2.
for line in '9223372036854775807 key Up down' '9223372036854775807 text ab' \
            '99999999999999999999 key Up down' '5 mouse 1 99999999999'; do
  echo "$line" > far.txt
  set +e; "$vor" --headless --ticks 3 --script far.txt 2> err5; s5=$?; set -e
  [ $s5 -eq 2 ] && [ "$(wc -l < err5)" = 1 ] && grep -q 'far.txt:1:' err5 ||
    fail "'$line': status $s5, $(cat err5)"
done

# Every output of a run that cannot be written (a full device, a missing folder) names the file
# and the reason on stderr and ends the run with status 1; a failing dump in a script ends the run
# there.
printf '2 dump %s\n' /dev/full > dumpfull.txt
printf '2 screenshot %s\n' nodir/s.png > shotmissing.txt
while read -r option file; do
  set +e; "$vor" --headless --ticks 30 "$option" "$file" 2> err6; s6=$?; set -e
  [ "$option" = --script ] && file=$(cut -d' ' -f3 "$file")
  [ $s6 -eq 1 ] && grep -q "cannot write $file: " err6 || fail "$option: status $s6, $(cat err6)"
done <<'RUNS'
--dump-state /dev/full
--dump-state nodir/s.json
--screenshot /dev/full
--screenshot nodir/s.png
--record /dev/full
--record nodir/r.txt
--script dumpfull.txt
--script shotmissing.txt
RUNS
"$vor" --headless --ticks 30 --script dumpfull.txt --dump-state end.json 2> /dev/null || true
[ "$(json end.json Tick)" = 2 ] || fail "the run went on after a failed dump"

# A headless run of three ticks dumps the state of tick 3 with the documented fields.
"$vor" --headless --ticks 3 --dump-state s.json || fail "three ticks: status $?"
[ "$(json s.json Tick)" = 3 ] || fail "Tick is not 3"
"$vor" --headless --ticks 0 --dump-state z.json || fail "no ticks: status $?"
[ "$(json z.json Tick)" = 0 ] && [ "$(json z.json State)" = 2 ] || fail "--ticks 0 ran a tick"
for k in State Level Score PendingScore Bullets HitStreak TargetsHit Medals Misses Difficulty \
         Brightness ControlType ControlSpeed SoundOn ScenarioFile Message MessageFrames SightX \
         SightY SightSpeedX SightSpeedY SightActive TimeLimitOn TimeCounter EffectTimers NightOn \
         WindOn MirrorOn MagnetOn LevelName PointerX PointerY LevelCount Targets Magnets MenuLines \
         Records RecordEntry SoundsPlayed; do
  grep -q "\"$k\":" s.json || fail "the dump lacks $k"
done

# "compile" with two parameters starts the game normally.
"$vor" compile x --headless --ticks 2 --dump-state c.json || fail "compile x: status $?"
[ "$(json c.json Tick)" = 2 ] || fail "compile x did not run the game"

# "plimb" lets F11 skip a level in play, and on the last level the skip ends the game; without
# the switch F11 does nothing. A held F11 skips again every 5 ticks (its latch runs out).
printf '10 key Enter down\n11 key Enter up\n20 key F11 down\n21 key F11 up\n' > f11.txt
"$vor" --headless --ticks 30 --script f11.txt --dump-state skip.json plimb || fail "plimb: status $?"
"$vor" --headless --ticks 30 --script f11.txt --dump-state noskip.json || fail "F11: status $?"
[ "$(json skip.json State)" = 3 ] && [ "$(json skip.json Level)" = 2 ] || fail "F11 did not skip"
[ "$(json noskip.json Level)" = 1 ] || fail "F11 skipped without the switch"
levels=$(json skip.json LevelCount)
printf '10 key Enter down\n11 key Enter up\n20 key F11 down\n' > hold.txt
"$vor" --headless --ticks $((20 + 5 * levels + 10)) --script hold.txt --dump-state last.json plimb
[ "$(json last.json State)" = 8 ] && [ "$(json last.json Level)" = "$levels" ] ||
  fail "F11 on the last level: state $(json last.json State), level $(json last.json Level)"
# F11 and Escape pressed in one tick on the last level: the game ends and its game-over screen
# stays; the in-game menu does not open over it. Taps of F11 lead to the last level first.
{
  echo "10 key Enter down"; echo "11 key Enter up"
  t=20
  for ((l = 1; l < levels; l++)); do echo "$t key F11 down"; echo "$((t + 1)) key F11 up"; t=$((t + 6)); done
  echo "$((t - 1)) dump before.json"
  echo "$t key F11 down"; echo "$t key Escape down"; echo "$((t + 1)) dump both.json"
  echo "$((t + 2)) key F11 up"; echo "$((t + 2)) key Escape up"
} > both.txt
"$vor" --headless --ticks $((t + 40)) --script both.txt --dump-state after.json plimb
[ "$(json before.json State)" = 3 ] && [ "$(json before.json Level)" = "$levels" ] ||
  fail "the taps did not reach the last level: $(json before.json State) $(json before.json Level)"
[ "$(json both.json State)" = 8 ] && [ "$(json after.json State)" = 8 ] ||
  fail "F11 with Escape: state $(json both.json State), then $(json after.json State)"

# Keyboard control (the menu's fifth line), then a new game: the first Space only launches the
# sight, an arrow steers it; a fire in the same tick as an arrow shoots, and on a waiting sight
# the arrow launches it first, so that fire shoots too.
{
  for t in 10 13 16 19; do echo "$t key Down down"; echo "$((t + 1)) key Down up"; done
  echo "25 key Enter down"; echo "26 key Enter up"
  for t in 30 33 36 39; do echo "$t key Up down"; echo "$((t + 1)) key Up up"; done
  echo "45 key Enter down"; echo "46 key Enter up"
  echo "60 key Space down"; echo "61 key Space up"; echo "62 dump k1.json"
  echo "63 key Right down"; echo "64 key Right up"; echo "65 dump k2.json"
  echo "80 key Right down"; echo "80 key Space down"; echo "81 key Right up"; echo "81 key Space up"
  echo "82 dump k3.json"
  echo "90 key Left down"; echo "90 key Enter down"; echo "91 dump k4.json"
} > keyboard.txt
"$vor" --headless --ticks 92 --script keyboard.txt || fail "keyboard control: status $?"
[ "$(json k1.json ControlType)" = 0 ] && [ "$(json k1.json SightActive)" = 1 ] &&
  [ "$(json k1.json Misses)" = 0 ] || fail "the first Space did not only launch the sight"
[ "$(json k2.json SightSpeedX)" = 2 ] || fail "Right did not steer"
[ "$(json k3.json Misses)" = 1 ] || fail "Right with Space did not shoot"
[ "$(json k4.json Misses)" = 2 ] || fail "Left with Enter on a waiting sight did not shoot"

# Escape in the main menu ends the program before the ticks run out.
printf '5 key Escape down\n' > esc.txt
"$vor" --headless --ticks 1000 --script esc.txt --dump-state e.json || fail "escape: status $?"
t=$(json e.json Tick)
[ "$t" -lt 10 ] || fail "escape did not end the program (tick $t)"

# A recording replays to the same state.
printf '3 mouse 30 -20\n4 key Down down\n9 key Down up\n12 button 0 down\n13 button 0 up\n' > in.txt
"$vor" --headless --seed 7 --ticks 40 --script in.txt --record rec.txt --dump-state a.json
head -n 1 rec.txt | grep -q '^# vor-script 1$' || fail "recording lacks its version line"
"$vor" --headless --seed 7 --ticks 40 --script rec.txt --dump-state b.json
cmp -s a.json b.json || fail "the replayed recording ends in another state"
echo ok
