#!/usr/bin/env bash
# The real sdl backend in a window under a virtual X server: scripted keys, a screenshot, and the
# window's class and icon, by which a desktop ties it to its entry. Arguments: VOR DATA APP_ID.
source "$(dirname "$0")/common.sh"
id=${3:?the application id}
command -v xvfb-run > /dev/null || fail "xvfb-run is not installed"
# run.sh GAME...: runs the game and, while it runs, writes its window's properties to props.txt.
cat > run.sh <<'RUN'
"$@" &
game=$!
if command -v xprop > /dev/null && command -v xwininfo > /dev/null; then
  for _ in $(seq 300); do
    win=$(xwininfo -root -tree | awk '$2 == "\"Vor\":" { print $1; exit }')
    if [ -n "$win" ]; then
      xprop -id "$win" WM_CLASS _NET_WM_ICON > props.txt
      break
    fi
    kill -0 $game 2> /dev/null || break
    sleep 0.1
  done
else
  echo "no xprop (x11-utils): the window's class is not checked" > props.txt
fi
wait $game
RUN
cat > keys.txt <<'KEYS'
20 key Down down
30 key Down up
40 mouse 25 10
60 key Up down
61 key Up up
90 screenshot mid.png
KEYS
# The X and GL client libraries keep allocations until exit; leaks are checked by the headless runs.
# The class comes from the program, not from a variable the caller may have set.
env -u SDL_VIDEO_X11_WMCLASS -u SDL_VIDEO_WAYLAND_WMCLASS -u SDL_APP_ID \
  ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 SDL_AUDIODRIVER=dummy \
  xvfb-run -a -n 120 -s "-screen 0 1024x768x24" bash run.sh "$vor" --window --seed 3 --ticks 120 \
  --script keys.txt --record live.txt --screenshot end.png --dump-state s.json ||
  fail "the windowed run ended with status $?"
[ "$(json s.json Tick)" = 120 ] || fail "the windowed run did not run 120 ticks"
if grep -q '^no xprop' props.txt; then
  cat props.txt >&2
else
  grep -qx "WM_CLASS(STRING) = \"$id\", \"$id\"" props.txt ||
    fail "the window's class is not $id: $(head -c 300 props.txt 2> /dev/null)"
  grep -q 'Icon (64 x 64)' props.txt || fail "the window has no icon: $(grep _NET_WM_ICON props.txt)"
fi
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
