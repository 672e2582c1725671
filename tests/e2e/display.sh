#!/usr/bin/env bash
# The real display: with no display to open the game says so and ends with status 1; on a 1280 x 720
# X server with no window manager, full screen letterboxes the frame at x 160..1119; Alt+Enter
# switches to an 800 x 600 window and back, and the choice in vor.ini holds for the next start
# unless --window or --fullscreen says otherwise; a larger window keeps the frame at a whole factor;
# a damaged value in vor.ini is named and its default used; --scale integer keeps the frame at a
# whole factor in full screen, and vor.ini keeps that choice.
source "$(dirname "$0")/common.sh"
command -v xvfb-run > /dev/null || fail "xvfb-run is not installed"
command -v import > /dev/null && command -v xdotool > /dev/null || fail "imagemagick and xdotool are needed"
# The X and GL client libraries keep allocations until exit; leaks are checked by the headless runs.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:detect_leaks=0 SDL_AUDIODRIVER=dummy
export XDG_CONFIG_HOME=$work/config HOME=$work

for driver in "" dummy offscreen; do
  set +e
  env -u DISPLAY -u WAYLAND_DISPLAY SDL_VIDEODRIVER=$driver "$vor" --ticks 5 > out 2> err
  status=$?
  set -e
  [ $status = 1 ] && grep -q 'Error of graphic initialization!' err ||
    fail "no display (driver '$driver'): status $status, $(cat err)"
done

cat > session.sh <<'SESSION'
set -euo pipefail
vor=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
# The game's shown window (one made hidden may be replaced before it is shown).
window() {
  for _ in $(seq 300); do
    local id
    id=$(xdotool search --onlyvisible --name '^Vor$' 2> /dev/null | head -n 1) || true
    [ -n "$id" ] && echo "$id" && return
    sleep 0.2
  done
  fail "no window"
}
size() { xwininfo -id "$1" 2> /dev/null | awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }'; }
# lit X: how many pixels of screen column X are not black.
lit() { import -window root shot.png; convert shot.png -crop 1x720+"$1"+0 +repage txt:- | tail -n +2 | grep -vc '#000000' || true; }
# until SIZE: wait for the window to take that size.
until_size() {
  for _ in $(seq 50); do
    w=$(window)
    [ "$(size "$w")" = "$1" ] && return
    sleep 0.2
  done
  fail "the window is $(size "$w"), not $1"
}
# until_ini VALUE: wait for vor.ini to say fullscreen=VALUE.
until_ini() { for _ in $(seq 50); do grep -qx "fullscreen=$1" "$XDG_CONFIG_HOME/vor/vor.ini" 2> /dev/null && return; sleep 0.2; done; fail "vor.ini does not say fullscreen=$1"; }
# Escape in the main menu ends the game; while it still loads, a key is not seen, so it is repeated.
quit() {
  for _ in $(seq 600); do
    kill -0 "$pid" 2> /dev/null || break
    xdotool key --window "$w" Escape 2> /dev/null || true
    sleep 0.3
  done
  wait "$pid" || fail "the game ended with status $?"
}

"$vor" --seed 1 --ticks 100000 & pid=$!
w=$(window)
until_size 1280x720
for _ in $(seq 100); do [ "$(lit 160)" -gt 0 ] && break; sleep 0.3; done
[ "$(lit 159)" = 0 ] && [ "$(lit 1120)" = 0 ] || fail "no black bars beside the frame"
[ "$(lit 160)" -gt 0 ] && [ "$(lit 1119)" -gt 0 ] || fail "the frame does not span x 160..1119"
xdotool key --window "$w" alt+Return
until_size 800x600
until_ini 0
xdotool key --window "$w" alt+Return
until_size 1280x720
until_ini 1
xdotool key --window "$w" alt+Return
until_size 800x600
until_ini 0
# A window made larger keeps the frame at a whole factor, centred: 1000 x 700 at x 240 shows it
# at x 340..1139 of the screen.
xdotool windowsize "$w" 1000 700
until_size 1000x700
xdotool windowmove "$w" 240 0
for _ in $(seq 50); do [ "$(lit 340)" -gt 0 ] && [ "$(lit 339)" = 0 ] && break; sleep 0.2; done
[ "$(lit 339)" = 0 ] && [ "$(lit 1140)" = 0 ] && [ "$(lit 340)" -gt 0 ] && [ "$(lit 1139)" -gt 0 ] ||
  fail "the larger window does not show the frame at x 340..1139"
quit

"$vor" --ticks 100000 & pid=$!; w=$(window); until_size 800x600; quit
"$vor" --fullscreen --ticks 100000 & pid=$!; w=$(window); until_size 1280x720; quit
echo 'fullscreen=1' > "$XDG_CONFIG_HOME/vor/vor.ini"
"$vor" --window --ticks 100000 & pid=$!; w=$(window); until_size 800x600; quit
printf 'fullscreen=maybe\n' > "$XDG_CONFIG_HOME/vor/vor.ini"
"$vor" --ticks 100000 2> damaged.txt & pid=$!; w=$(window); until_size 1280x720; quit
grep -q 'settings file .*vor.ini: line 1: fullscreen is 0 or 1' damaged.txt || fail "the damaged vor.ini was not named"
# Integer scaling: no whole factor above 1 fits 1280 x 720, so the frame stays 800 x 600 at
# x 240..1039; the choice holds for the next start.
integer() {
  for _ in $(seq 100); do [ "$(lit 240)" -gt 0 ] && break; sleep 0.3; done
  [ "$(lit 239)" = 0 ] && [ "$(lit 1040)" = 0 ] && [ "$(lit 240)" -gt 0 ] && [ "$(lit 1039)" -gt 0 ] ||
    fail "integer scaling does not show the frame at x 240..1039"
}
"$vor" --fullscreen --scale integer --ticks 100000 & pid=$!; w=$(window); until_size 1280x720; integer; quit
grep -qx 'scale=integer' "$XDG_CONFIG_HOME/vor/vor.ini" || fail "vor.ini does not keep scale=integer"
"$vor" --fullscreen --ticks 100000 & pid=$!; w=$(window); until_size 1280x720; integer; quit
echo ok
SESSION
xvfb-run -a -n 140 -s "-screen 0 1280x720x24" bash session.sh "$vor" || fail "the X session failed"
echo ok
