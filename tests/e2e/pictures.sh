#!/usr/bin/env bash
# F12 saves the frame shown as vor-YYYYMMDD-HHMMSS.png in the player's picture folder, made when
# missing; two in one second keep both; a picture that cannot be saved is reported and the game
# goes on.
source "$(dirname "$0")/common.sh"
printf '10 key F12 down\n11 key F12 up\n12 key F12 down\n13 key F12 up\n' > f12.txt
XDG_PICTURES_DIR=$work/shots/new "$vor" --headless --ticks 20 --script f12.txt --dump-state s.json ||
  fail "F12: status $?"
[ "$(json s.json Tick)" = 20 ] || fail "F12 stopped the game"
n=0
for f in shots/new/*; do
  [[ $(basename "$f") =~ ^vor-[0-9]{8}-[0-9]{6}(-[0-9]+)?\.png$ ]] || fail "a picture named $f"
  [ "$(od -An -tx1 -j16 -N8 "$f" | tr -d ' \n')" = "0000032000000258" ] || fail "$f is not 800 x 600"
  n=$((n + 1))
done
[ $n = 2 ] || fail "$n pictures for two presses of F12"

# The picture folder is a file: the run goes on to its end and says why.
touch notafolder
XDG_PICTURES_DIR=$work/notafolder "$vor" --headless --ticks 20 --script f12.txt --dump-state t.json \
  2> err || fail "a failed picture: status $?"
[ "$(json t.json Tick)" = 20 ] || fail "a failed picture stopped the game"
grep -q 'cannot save the picture.*notafolder' err || fail "a failed picture was not reported: $(cat err)"
echo ok
