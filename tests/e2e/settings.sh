#!/usr/bin/env bash
# The menu's settings are kept in vor.ini by a windowed run and hold for the next start; a run
# without a window neither reads nor writes them; a recording replays with the settings it started
# from; a damaged value, a scenario no longer there and a
# folder in place of vor.ini are named and the defaults used.
source "$(dirname "$0")/common.sh"
command -v xvfb-run > /dev/null || fail "xvfb-run is not installed"
# The X and GL client libraries keep allocations until exit; leaks are checked by the headless runs.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0
ini=$XDG_CONFIG_HOME/vor/vor.ini
# windowed ARGS...: the game in a window under a virtual X server, silent.
windowed() { xvfb-run -a -n 160 -s "-screen 0 1024x768x24" "$vor" --window --audio silent "$@"; }
# str FILE KEY: the text stored under "KEY" in a state dump.
str() { grep -o "\"$2\":\"[^\"]*\"" "$1" | head -n 1 | cut -d'"' -f4; }

# Main menu: Down to the scenario line and on (training.lev), Down to difficulty (normal to
# hardly), Down five times to the sound line (on to off).
{
  t=10
  press() { echo "$t key $1 down"; echo "$((t + 1)) key $1 up"; t=$((t + 10)); }
  press Down; press Enter; press Down; press Enter
  for _ in 1 2 3 4 5; do press Down; done
  press Enter
} > menu.txt
windowed --seed 1 --ticks 200 --script menu.txt --dump-state first.json ||
  fail "the first run ended with status $?"
[ "$(json first.json Difficulty)" = 2 ] && [ "$(json first.json SoundOn)" = 0 ] &&
  [ "$(str first.json ScenarioFile)" = training.lev ] || fail "the script did not change the settings"
for line in scenario=training.lev difficulty=hardly sound=off; do
  grep -qx "$line" "$ini" || fail "vor.ini lacks $line: $(cat "$ini")"
done

# The next start begins with them.
windowed --seed 1 --ticks 5 --dump-state second.json || fail "the second run ended with status $?"
[ "$(json second.json Difficulty)" = 2 ] || fail "difficulty not kept: $(json second.json Difficulty)"
[ "$(json second.json SoundOn)" = 0 ] || fail "sound not kept: $(json second.json SoundOn)"
[ "$(str second.json ScenarioFile)" = training.lev ] || fail "scenario not kept"

# Without a window the run starts from the defaults (so the script takes them where the first run
# took them, not one step further) and leaves vor.ini alone.
cp "$ini" kept.ini
"$vor" --headless --seed 1 --ticks 200 --script menu.txt --dump-state headless.json ||
  fail "the headless run ended with status $?"
cmp -s first.json headless.json || fail "the headless run did not start from the defaults"
cmp -s "$ini" kept.ini || fail "the headless run changed vor.ini"

# A recording carries the settings its run started from: the kept ones replay without a window.
windowed --seed 2 --ticks 200 --script menu.txt --record rec.txt --dump-state live.json ||
  fail "the recorded run ended with status $?"
grep -qx '# vor-setting difficulty=hardly' rec.txt || fail "the recording lacks its settings"
"$vor" --headless --seed 2 --ticks 200 --script rec.txt --dump-state replay.json ||
  fail "the replay ended with status $?"
cmp -s live.json replay.json || fail "the replay of a run with kept settings ends in another state"

# A damaged value and a scenario no longer there: each named, the rest applies.
printf 'fullscreen=0\ndifficulty=awful\nbrightness=70\nscenario=gone.lev\nsound=off\ncolour=blue\n' > "$ini"
windowed --ticks 5 --dump-state third.json 2> third.err || fail "the third run ended with status $?"
grep -q "vor.ini: line 2: difficulty is normal, kindly or hardly, not 'awful'" third.err ||
  fail "the damaged difficulty was not named: $(cat third.err)"
grep -q "the scenario gone.lev of the settings is not installed; main.lev is chosen" third.err ||
  fail "the missing scenario was not named: $(cat third.err)"
[ "$(json third.json Difficulty)" = 0 ] && [ "$(json third.json Brightness)" = 70 ] &&
  [ "$(json third.json SoundOn)" = 0 ] && [ "$(str third.json ScenarioFile)" = main.lev ] ||
  fail "the third run did not start from the good values and the defaults"
# Nothing changed, so nothing was written: the player's file stays as it was.
grep -qx 'colour=blue' "$ini" && grep -qx 'scenario=gone.lev' "$ini" || fail "vor.ini was rewritten"

# A folder in place of vor.ini is named, never read, and the game goes on.
rm "$ini"
mkdir "$ini"
windowed --ticks 5 --dump-state fourth.json 2> fourth.err || fail "the fourth run ended with status $?"
grep -q "vor.ini: it is not a regular file" fourth.err || fail "the folder was not named: $(cat fourth.err)"
echo ok
