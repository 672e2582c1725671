#!/usr/bin/env bash
# Replays: a game lost and entered in the table keeps its replay in main.replays/; "--replay"
# plays it to the same result; the table screen plays it in place and comes back to the table;
# a replay of a scenario or data that is not here says which.
source "$(dirname "$0")/common.sh"

# game.txt: "New game", mouse control: launch, steer, shoot, until no bullet is left; the clicks
# after the game is over leave its screen for the name entry.
{
  lost_game
  echo "1000 dump entering.json"
  echo "1010 text Replayer"
  echo "1030 char 13"
  echo "1035 dump table.json"
} > game.txt
{
  cat game.txt
  echo "1050 key R down  # watches the row's replay"
  echo "1051 key R up"
  echo "1100 dump watching.json"
  echo "1110 key Escape down  # stops it"
  echo "1111 key Escape up"
  echo "1115 dump stopped.json"
} > play.txt
"$vor" --headless --seed 21 --ticks 1120 --script play.txt || fail "the game: status $?"
[ "$(json entering.json State)" = 9 ] || fail "the game did not end in the name entry"
[ "$(json table.json State)" = 10 ] || fail "the name entry did not end on the table"
files=(main.replays/*.replay)
[ "${#files[@]}" = 1 ] && [ -f "${files[0]}" ] || fail "main.replays holds ${files[*]}"
replay=${files[0]}
head -n 1 "$replay" | grep -qx '# vor-replay 1' || fail "the replay has no version line"
grep -qx '# vor-replay name Replayer' "$replay" || fail "the replay lacks the name"
[ "$(json watching.json State)" = 3 ] || fail "R on the table did not play the replay"
records() { grep -o '"Records":\[.*\],"RecordEntry"' "$1"; }
[ "$(json stopped.json State)" = 10 ] || fail "Escape did not stop the replay for the table"
[ "$(records stopped.json)" = "$(records table.json)" ] || fail "the table changed by watching"

# The replay alone, headless: it ends on the result screen with the game's result.
"$vor" --headless --replay "$replay" --dump-state replayed.json || fail "--replay: status $?"
[ "$(json replayed.json State)" = 8 ] || fail "the replay did not end on the game-over screen"
for key in Score TargetsHit Medals Misses Level Difficulty; do
  [ "$(json replayed.json $key)" = "$(json entering.json $key)" ] ||
    fail "$key: the replay gave $(json replayed.json $key), the game $(json entering.json $key)"
done

# Watched to its end, the replay shows its result a while and comes back to the table.
length=$(json replayed.json Tick)
back=$((1050 + length + 130))
{ cat game.txt; echo "1050 key R down"; echo "1051 key R up"; echo "$back dump back.json"; } > watch.txt
rm -rf main.replays main.tbl
"$vor" --headless --seed 21 --ticks $((back + 1)) --script watch.txt || fail "the watch: status $?"
[ "$(json back.json State)" = 10 ] || fail "the watched replay did not come back to the table"
[ "$(records back.json)" = "$(records table.json)" ] || fail "the table changed by watching"

# What is not here is named.
sed 's/^# vor-replay scenario [0-9a-f]*/# vor-replay scenario '"$(printf 'e%.0s' {1..64})"'/' "$replay" > other.replay
if "$vor" --headless --replay other.replay 2> err.txt; then fail "a replay of a missing scenario played"; fi
grep -q "scenario main.lev (eeeeeeeeeeeeeeee...) is not installed" err.txt || fail "stderr: $(cat err.txt)"
sed 's/^# vor-replay data [0-9a-f]*/# vor-replay data '"$(printf 'd%.0s' {1..64})"'/' "$replay" > data.replay
if "$vor" --headless --replay data.replay 2> err.txt; then fail "a replay of other data played"; fi
grep -q "other game data (dddddddddddddddd...)" err.txt || fail "stderr: $(cat err.txt)"
echo "garbage" > bad.replay
if "$vor" --headless --replay bad.replay 2> err.txt; then fail "garbage played"; fi
grep -q "not a replay" err.txt || fail "stderr: $(cat err.txt)"
echo ok
