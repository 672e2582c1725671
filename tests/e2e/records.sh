#!/usr/bin/env bash
# A game lost from the menu to the table of records: "New game", the in-game menu and back, shots
# that miss until the game is over, a typed name saved in "main.tbl", and on the next start the
# name under "Best results".
source "$(dirname "$0")/common.sh"

rm -f main.tbl
# first FILE: the first menu line of a state dump, as "Text Selected".
first() { grep -o '"MenuLines":\[{"Text":"[^"]*","Visible":1,"Selected":[01]' "$1" |
  sed 's/.*"Text":"\([^"]*\)".*"Selected":\(.\)/\1 \2/'; }
# row FILE NAME: the used row of the table with that (blank-padded) name, if any.
row() { grep -o "{\"used\":1,\"name\":\"$2\"[^}]*}" "$1" | head -n 1; }

{
  echo "10 key Enter down  # New game"
  echo "11 key Enter up"
  echo "20 key Escape down  # the in-game menu"
  echo "21 key Escape up"
  echo "23 dump game-menu.json"
  echo "30 key Escape down  # back to play"
  echo "31 key Escape up"
  echo "33 dump back.json"
  # With mouse control a click launches the waiting sight and the next one shoots it where it
  # starts, so every second click misses. Clicks after the game is over leave its screen.
  for t in $(seq 40 6 400); do
    echo "$t button 0 down"
    echo "$((t + 1)) button 0 up"
  done
  echo "410 dump entering.json"
  echo "420 text Tester"
  echo "440 screenshot name.png"
  echo "441 char 13"
  echo "445 dump saved.json"
} > play.txt
"$vor" --headless --seed 3 --ticks 450 --script play.txt || fail "the game: status $?"

[ "$(json game-menu.json State)" = 11 ] || fail "Escape in play did not open the in-game menu"
[ "$(first game-menu.json)" = "Return to game 1" ] || fail "in-game menu: $(first game-menu.json)"
[ "$(json back.json State)" = 3 ] || fail "Escape in the in-game menu did not return to play"
[ "$(first back.json)" = "New game 1" ] || fail "leaving the in-game menu left: $(first back.json)"

[ "$(json entering.json State)" = 9 ] || fail "the lost game did not reach the name entry"
[ "$(json entering.json Bullets)" -lt 0 ] || fail "the game ended with bullets left"
grep -q '"RecordEntry":{"used":1,' entering.json || fail "the result row is not marked used"

[ "$(json saved.json State)" = 10 ] || fail "Enter did not show the table of records"
[ -n "$(row saved.json 'Tester    ')" ] || fail "the table lacks the name: $(grep -o '"Records":[^]]*' saved.json)"
[ "$(stat -c %s main.tbl)" = 396 ] || fail "main.tbl is not 396 bytes"
grep -aq 'Tester    ' main.tbl || fail "main.tbl lacks the name"

# The next start: six steps down to "Best results", Enter, then Escape back to the main menu.
{
  for i in 0 1 2 3 4 5; do
    echo "$((10 + 3 * i)) key Down down"
    echo "$((11 + 3 * i)) key Down up"
  done
  echo "40 key Enter down"
  echo "41 key Enter up"
  echo "45 dump records.json"
  echo "50 key Escape down"
  echo "51 key Escape up"
  echo "55 dump menu.json"
} > look.txt
"$vor" --headless --seed 4 --ticks 60 --script look.txt || fail "the second start: status $?"
[ "$(json records.json State)" = 10 ] || fail "\"Best results\" did not show the table"
saved=$(row saved.json 'Tester    ')
[ "$(row records.json 'Tester    ')" = "$saved" ] ||
  fail "the next start's table differs: $(row records.json 'Tester    ') against $saved"
[ "$(json menu.json State)" = 2 ] || fail "Escape did not leave the table for the main menu"
grep -q '{"Text":"Best results","Visible":1,"Selected":1}' menu.json ||
  fail "the main menu lost its selection"
echo ok
