#!/usr/bin/env bash
# The real sdl backend in a window under a virtual X server: scripted keys, a screenshot.
source "$(dirname "$0")/common.sh"
command -v xvfb-run > /dev/null || fail "xvfb-run is not installed"
cat > keys.txt <<'KEYS'
20 key Down down
30 key Down up
40 mouse 25 10
60 key Up down
61 key Up up
90 screenshot mid.png
KEYS
# The X and GL client libraries keep allocations until exit; leaks are checked by the headless runs.
ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 SDL_AUDIODRIVER=dummy xvfb-run -a -s "-screen 0 1024x768x24" \
  "$vor" --window --seed 3 --ticks 120 --script keys.txt --record live.txt --screenshot end.png --dump-state s.json \
  || fail "the windowed run ended with status $?"
[ "$(json s.json Tick)" = 120 ] || fail "the windowed run did not run 120 ticks"
[ "$(json s.json State)" = 2 ] || fail "the windowed run is not in the main menu"
# The menu moves played the selection sound on the real (dummy) audio device.
grep -q '"SoundsPlayed":\[0,[1-9]' s.json || fail "no menu sound: $(grep -o '"SoundsPlayed":[^]]*]' s.json)"
for png in mid.png end.png; do
  [ -s $png ] || fail "no $png"
  # PNG signature, then the IHDR width and height (800 x 600).
  [ "$(od -An -tx1 -j16 -N8 $png | tr -d ' \n')" = "0000032000000258" ] || fail "$png is not 800 x 600"
done
# What the live window saw replays headless to the same state.
"$vor" --headless --seed 3 --ticks 120 --script live.txt --dump-state replay.json ||
  fail "the replay ended with status $?"
cmp -s s.json replay.json || fail "the replayed live run ends in another state"
echo ok
