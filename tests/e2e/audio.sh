#!/usr/bin/env bash
# The machine's sound device (SDL's dummy driver) over a long run: a sound on every menu move must
# not keep its memory. 9000 ticks with Down held (a move and a sound every few ticks) peak within
# 2.5 MB of 9000 idle ticks.
source "$(dirname "$0")/common.sh"
echo '5 key Down down' > hold.txt
# Freed memory must leave at once, not wait in the sanitizer's quarantine.
export ASAN_OPTIONS=${ASAN_OPTIONS:-}:quarantine_size_mb=0 SDL_AUDIODRIVER=dummy
run() { /usr/bin/time -f %M -o "$1.kb" "$vor" --headless --audio sdl --seed 5 --ticks 9000 "${@:2}" --dump-state "$1.json"; }
run idle & idle=$!
run held --script hold.txt & held=$!
wait $idle || fail "the idle run ended with status $?"
wait $held || fail "the run with Down held ended with status $?"
plays=$(grep -o '"SoundsPlayed":\[0,[0-9]*' held.json | cut -d, -f2)
[ "$plays" -gt 1000 ] || fail "only $plays menu sounds were played"
growth=$(( $(cat held.kb) - $(cat idle.kb) ))
echo "peak: idle $(cat idle.kb) KB, held $(cat held.kb) KB, $plays sounds"
[ $growth -le 2560 ] || fail "$plays sounds grew the peak by $growth KB"
echo ok
